#pragma once
// How a profile value's raw registry data becomes a setting, and back.
// Portable, so the rules are the same for the program and for the tests and
// fuzzers that feed them arbitrary data: an integer is a REG_DWORD of exactly
// four bytes; a string is REG_SZ UTF-16 of an even size no larger than
// kMaxProfileStringBytes, read up to its first null; a list of strings is
// REG_MULTI_SZ UTF-16 of an even size no larger than kMaxProfileStringsBytes,
// its strings ended by nulls and the list by an empty one. Anything else reads
// as missing, so bad data never reaches the program.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "framework/utf.h"

namespace qmo {

inline constexpr std::uint32_t kProfileTypeString = 1;  // REG_SZ
inline constexpr std::uint32_t kProfileTypeDword = 4;   // REG_DWORD
inline constexpr std::uint32_t kProfileTypeStrings = 7;  // REG_MULTI_SZ
inline constexpr std::size_t kMaxProfileStringBytes = 8192;
// Room for a few hundred paths of full length; a list that grew past it is
// not a list of ours.
inline constexpr std::size_t kMaxProfileStringsBytes = std::size_t{1024} * 1024;

std::optional<int> DecodeProfileInt(std::uint32_t type, std::span<const std::uint8_t> data);
std::optional<std::string> DecodeProfileString(std::uint32_t type, std::span<const std::uint8_t> data);
// Every string up to the list's end (an empty string, or the data's end when
// the last null is missing); empty strings inside the list are not kept.
std::optional<std::vector<std::string>> DecodeProfileStrings(std::uint32_t type, std::span<const std::uint8_t> data);

// Little-endian DWORD data.
std::vector<std::uint8_t> EncodeProfileInt(int value);
// UTF-16LE with its terminating null.
std::vector<std::uint8_t> EncodeProfileString(std::string_view utf8);
// Each string with its null, then the list's closing null; an empty string in
// `strings` would end the list early and is left out.
std::vector<std::uint8_t> EncodeProfileStrings(const std::vector<std::string>& strings);

}  // namespace qmo
