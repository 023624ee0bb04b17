// Folder references and the folder iterator of the add runs.
//
// A folder is named by its path; its device and inode stand in for the
// volume and directory ID a tune record keeps of the folder it was found in.
// A folder lists its items sorted by name (bytewise), so every scan of the
// same tree meets the items in the same order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/errors.h"

struct FolderRef {
  std::int16_t volume = 0;  // the device, cut to 16 bits
  std::int32_t dirID = 0;   // the inode, cut to 32 bits
  std::string path;         // ends in "/"
  // The whole identity: tells folders apart where the cut numbers may not.
  std::uint64_t device = 0, inode = 0;
};

// The folder at `path` (a "/" is added when missing): false when it is not a
// folder that can be looked at.
bool makeFolderRef(const std::string& path, FolderRef& ref);

constexpr std::uint16_t kFolderAttribute = 1u << 4;

// The scan record of one folder being listed. Before each step the caller
// puts the folder to list in `folder`; after a step the record describes the
// item returned. With `descend` non-zero a folder item also replaces `folder`
// by the subfolder itself.
struct FolderScan {
  FolderRef folder;
  std::int32_t itemIndex = 0;  // the item last returned; 0 before the first
  std::int16_t descend = 0;
  // The current item.
  std::string itemName;        // all of its bytes
  char fileType[4] = {};       // "fldr" for a folder
  char creator[4] = {};        // "----" for a folder
  std::uint64_t itemSize = 0;  // a file's length; 0 for a folder
  std::uint16_t attributes = 0;
  bool regularFile = false;  // a plain file (not a pipe, device or dangling link)

  // The listing of `listedPath`, taken when its first item is asked for.
  std::string listedPath;
  std::vector<std::string> listing;
};

// Advances to the next item of the record's folder: 1 for a folder, 0 for a
// file (anything else that is not a folder, such as a dangling link, counts
// as a file), or a negative code when there is no further item or the folder
// cannot be read.
OSErr ScanFolder(FolderScan& scan);
