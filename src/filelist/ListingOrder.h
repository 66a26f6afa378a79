#pragma once

// The order in which a search lists the names of one folder: by their upper-cased UTF-16 code units,
// the order in which NTFS hands out a folder's names, so serial numbers follow the names as they
// did on Windows. Each character is upper-cased on its own, as the wildcard matcher does. A name
// that is not valid UTF-8 is read as CP932 when it is valid CP932, else byte by byte.

#include <string>
#include <string_view>

namespace rinoza {

// Appends the sort key of name to key: UTF-16 code units whose plain order is the listing order.
void appendListingKey(std::string_view name, std::u16string& key);

} // namespace rinoza
