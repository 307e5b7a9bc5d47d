#include "cleaner/relative_links.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "cleaner/link_address.h"
#include "interfaces/link_check.h"

namespace pelloran {

bool RelativeTargetExists(std::string_view folder, std::string_view value) {
  value = WithoutQuotes(value);
  value = value.substr(0, value.find_first_of("?#"));
  // A path from the site's root: where that root lies on this machine is not known.
  if (value.starts_with('/')) return false;
  const std::filesystem::path base = folder.empty() ? std::filesystem::path(".") : folder;
  const std::string name = DecodePercentEscapes(value);
  if (name.find('\0') != std::string::npos) return false;  // no file name holds one
  std::error_code error;
  return std::filesystem::exists(base / name, error);
}

}  // namespace pelloran
