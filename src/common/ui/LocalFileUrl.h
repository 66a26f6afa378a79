#pragma once

// File URLs for the desktop, made from a path's own bytes.

#include <QUrl>
#include <string>

namespace rinoza {

// A file:// URL whose path is the percent-encoded bytes of `bytes` (an absolute path), so a name that is
// not UTF-8 still reaches the opener byte for byte; no detour through the locale's text decoding.
QUrl localFileUrl(const std::string& bytes);

} // namespace rinoza
