#pragma once

// How rinoza-cli writes names: readable on a terminal, exact in JSON.

#include <string>
#include <string_view>

namespace rinoza::cli {

// A name or path for a person to read, valid UTF-8 on one line: valid UTF-8 as it is; else its CP932
// reading when it is valid CP932; else its valid UTF-8 characters with every other byte as "\xNN".
// Control characters (C0, DEL and C1, U+0080 to U+009F) are never written raw, but as "\xNN" for each
// byte the name has for them.
std::string readableText(std::string_view bytes);
// readableText(bytes) appended to out.
void appendReadable(std::string& out, std::string_view bytes);

// The standard Base64 of bytes, with padding.
std::string base64(std::string_view bytes);

// bytes as a JSON string literal, quotes included; the bytes must be valid UTF-8. Control characters
// (C0, DEL and C1) are written as "\u00XX".
std::string jsonString(std::string_view utf8);

// `"key":"..."` for a path: the string itself when it is valid UTF-8; otherwise its readable text,
// followed by `,"key_base64":"..."` with its exact bytes.
std::string jsonPathField(std::string_view key, std::string_view bytes);

// What an outcome text of a row stands for: "ok", "same-name", "missing", "exists", "system-file" or
// "error"; "" for a text that is no outcome.
std::string_view outcomeCode(std::string_view outcomeText);

} // namespace rinoza::cli
