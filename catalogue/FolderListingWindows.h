#pragma once

// The Windows folder listing's second way, which it takes by itself where a
// file system refuses to hand over a folder's entries with their stamps.
namespace FolderListingWindows {

// Tests only: list every folder by name, each entry opened for its stamp.
void listEntryByEntry(bool on);

} // namespace FolderListingWindows
