// The precompiled Qt and standard headers of the Windows build are made
// from this target (see cmake/Windows.cmake); it has no code of its own.
