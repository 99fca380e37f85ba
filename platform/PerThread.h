#pragma once

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

// One T per thread, made on its first use in that thread and destroyed when
// the thread ends: a thread_local object, except under Windows. There a
// thread_local object with a destructor corrupts the heap when a std::thread
// ends (mingw-w64 GCC 12 runs the destructor after the thread's storage is
// gone), so fiber-local storage holds it, whose clean-up runs as the thread
// ends.
#ifdef Q_OS_WIN

namespace PerThreadDetail {
template <typename T>
void WINAPI destroy(void *object)
{
    delete static_cast<T *>(object);
}
} // namespace PerThreadDetail

template <typename T>
T &perThread()
{
    static const DWORD index = FlsAlloc(&PerThreadDetail::destroy<T>);
    auto *object = static_cast<T *>(FlsGetValue(index));
    if (!object) {
        object = new T();
        FlsSetValue(index, object);
    }
    return *object;
}

#else

template <typename T>
T &perThread()
{
    thread_local T object;
    return object;
}

#endif
