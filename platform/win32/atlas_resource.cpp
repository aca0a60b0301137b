// The Windows program carries the sprite atlas in its resource section (marulex.rc) rather than
// as an array in the code, so the bytes come from there.
#include <windows.h>

#include "platform/win32/resource_ids.h"
#include "scene/atlas.h"

namespace marulex {

std::span<const std::uint8_t> AtlasBmpBytes() {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(MARULEX_ATLAS), RT_RCDATA);
  if (!found) return {};
  HGLOBAL loaded = LoadResource(nullptr, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return {};
  // Resources stay mapped for the life of the process.
  return {static_cast<const std::uint8_t*>(bytes), SizeofResource(nullptr, found)};
}

}  // namespace marulex
