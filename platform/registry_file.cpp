#include "platform/registry_file.h"

#include <fstream>
#include <vector>

namespace marulex {
namespace {

namespace fs = std::filesystem;

// Far beyond any export of a few keys; a larger file is not read into memory.
constexpr std::uintmax_t kMaxFileSize = 64u << 20;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (IsBlank(text.front()) || text.front() == '\r'))
    text.remove_prefix(1);
  while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r'))
    text.remove_suffix(1);
  return text;
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lower(std::string_view text) {
  std::string result(text);
  for (char& c : result)
    c = LowerAscii(c);
  return result;
}

bool ConsumePrefixIgnoringCase(std::string_view& text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (LowerAscii(text[i]) != prefix[i]) return false;
  }
  text.remove_prefix(prefix.size());
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// One to eight hexadecimal digits and nothing else.
std::optional<std::uint32_t> ReadHex32(std::string_view text) {
  if (text.empty() || text.size() > 8) return std::nullopt;
  std::uint32_t value = 0;
  for (const char c : text) {
    const int digit = HexDigit(c);
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  return value;
}

void AppendUtf8(std::string& out, std::uint32_t code_point) {
  if (code_point < 0x80) {
    out += static_cast<char>(code_point);
  } else if (code_point < 0x800) {
    out += static_cast<char>(0xC0 | (code_point >> 6));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else if (code_point < 0x10000) {
    out += static_cast<char>(0xE0 | (code_point >> 12));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code_point >> 18));
    out += static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  }
}

// UTF-16LE to UTF-8; a lone surrogate becomes U+FFFD and an odd last byte is dropped.
std::string Utf16LeToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  const auto unit_at = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
  };
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const std::uint32_t unit = unit_at(i);
    if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size()) {
      const std::uint32_t next = unit_at(i + 2);
      if (next >= 0xDC00 && next < 0xE000) {
        AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
        i += 2;
        continue;
      }
    }
    AppendUtf8(out, unit >= 0xD800 && unit < 0xE000 ? 0xFFFD : unit);
  }
  return out;
}

std::string ToUtf8(std::string_view content) {
  if (content.starts_with("\xEF\xBB\xBF")) return std::string(content.substr(3));
  if (content.starts_with("\xFF\xFE")) return Utf16LeToUtf8(content.substr(2));
  return std::string(content);
}

// A quoted text at the start of `text`, with \" and \\ as escapes; consumes it.
std::optional<std::string> ReadQuoted(std::string_view& text) {
  if (!text.starts_with('"')) return std::nullopt;
  std::string result;
  for (std::size_t i = 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      text.remove_prefix(i + 1);
      return result;
    }
    if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '"' || text[i + 1] == '\\')) {
      result += text[++i];
    } else {
      result += c;
    }
  }
  return std::nullopt;
}

// A comma-separated list of bytes in hexadecimal, e.g. "01,00,0a"; empty for an empty list.
std::optional<std::vector<std::uint8_t>> ReadHexBytes(std::string_view list) {
  std::vector<std::uint8_t> bytes;
  list = Trim(list);
  if (list.empty()) return bytes;
  if (list.ends_with(',')) list.remove_suffix(1);  // a continued line may end in a comma
  while (true) {
    const std::size_t comma = list.find(',');
    const std::string_view item = Trim(list.substr(0, comma));
    if (item.size() > 2) return std::nullopt;
    const std::optional<std::uint32_t> byte = ReadHex32(item);
    if (!byte) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(*byte));
    if (comma == std::string_view::npos) return bytes;
    list.remove_prefix(comma + 1);
  }
}

// What a value line sets: a value, or its removal.
struct ValueData {
  bool remove = false;
  RegistryValue value;
};

// The data after "=". `next_line` hands out the following lines for continued hex lists.
template <typename NextLine>
std::optional<ValueData> ReadData(std::string_view data, NextLine&& next_line) {
  data = Trim(data);
  if (data == "-") return ValueData{true, {}};
  if (data.starts_with('"')) {
    if (!ReadQuoted(data) || !Trim(data).empty()) return std::nullopt;
    return ValueData{false, {RegistryValue::kOtherType, 0}};
  }
  if (ConsumePrefixIgnoringCase(data, "dword:")) {
    const std::optional<std::uint32_t> value = ReadHex32(data);
    if (!value) return std::nullopt;
    return ValueData{false, {RegistryValue::kDword, *value}};
  }
  if (!ConsumePrefixIgnoringCase(data, "hex")) return std::nullopt;
  std::uint32_t type = 3;  // plain "hex:" is binary data
  if (data.starts_with('(')) {
    const std::size_t close = data.find(')');
    if (close == std::string_view::npos) return std::nullopt;
    const std::optional<std::uint32_t> given = ReadHex32(data.substr(1, close - 1));
    if (!given) return std::nullopt;
    type = *given;
    data.remove_prefix(close + 1);
  }
  if (!data.starts_with(':')) return std::nullopt;
  data.remove_prefix(1);
  std::string list;
  while (true) {
    data = Trim(data);
    if (!data.ends_with('\\')) {
      list += data;
      break;
    }
    data.remove_suffix(1);
    list += data;
    const std::optional<std::string_view> more = next_line();
    if (!more) break;
    data = *more;
  }
  const std::optional<std::vector<std::uint8_t>> bytes = ReadHexBytes(list);
  if (!bytes) return std::nullopt;
  if (type != 4 || bytes->size() != 4) return ValueData{false, {RegistryValue::kOtherType, 0}};
  const std::uint32_t value =
      static_cast<std::uint32_t>((*bytes)[0]) | static_cast<std::uint32_t>((*bytes)[1]) << 8 |
      static_cast<std::uint32_t>((*bytes)[2]) << 16 | static_cast<std::uint32_t>((*bytes)[3]) << 24;
  return ValueData{false, {RegistryValue::kDword, value}};
}

bool IsUnder(std::string_view key, std::string_view ancestor) {
  return key.size() > ancestor.size() && key.starts_with(ancestor) && key[ancestor.size()] == '\\';
}

}  // namespace

RegistryFile RegistryFile::Parse(std::string_view file_content) {
  RegistryFile registry;
  const std::string text = ToUtf8(file_content);
  std::string_view rest = text;
  const auto next_line = [&rest]() -> std::optional<std::string_view> {
    if (rest.empty()) return std::nullopt;
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    return line;
  };

  // The key that value lines go to; none before the first key, after a deletion or a bad key line.
  std::map<std::string, RegistryValue>* current = nullptr;
  while (const std::optional<std::string_view> raw = next_line()) {
    std::string_view line = Trim(*raw);
    if (line.empty() || line.starts_with(';')) continue;
    if (line.starts_with('[')) {
      current = nullptr;
      const std::size_t close = line.rfind(']');
      if (close == std::string_view::npos || !Trim(line.substr(close + 1)).empty()) continue;
      std::string_view key = line.substr(1, close - 1);
      const bool remove = key.starts_with('-');
      if (remove) key.remove_prefix(1);
      if (key.empty()) continue;
      const std::string name = Lower(key);
      if (!remove) {
        current = &registry.keys_[name];
        continue;
      }
      registry.keys_.erase(name);
      auto it = registry.keys_.lower_bound(name + '\\');
      while (it != registry.keys_.end() && IsUnder(it->first, name))
        it = registry.keys_.erase(it);
      continue;
    }

    std::optional<std::string> name;
    if (line.starts_with('@')) {
      name.emplace();
      line.remove_prefix(1);
    } else {
      name = ReadQuoted(line);
    }
    line = Trim(line);
    if (!name || !line.starts_with('=')) continue;
    line.remove_prefix(1);
    // Read the data even without a key, so that a continued list is consumed whole.
    const std::optional<ValueData> data = ReadData(line, next_line);
    if (!data || current == nullptr) continue;
    if (data->remove) {
      current->erase(Lower(*name));
    } else {
      (*current)[Lower(*name)] = data->value;
    }
  }
  return registry;
}

std::optional<RegistryFile> RegistryFile::Load(const fs::path& file) {
  // The type is checked before opening: opening a FIFO for reading would block.
  std::error_code error;
  if (!fs::is_regular_file(fs::status(file, error)) || error) return std::nullopt;
  const std::uintmax_t size = fs::file_size(file, error);
  if (error || size > kMaxFileSize) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in.is_open()) return std::nullopt;
  std::string content;
  char buffer[4096];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    content.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (content.size() > kMaxFileSize) return std::nullopt;  // it grew while being read
  }
  if (in.bad()) return std::nullopt;
  return Parse(content);
}

bool RegistryFile::HasKey(std::string_view key) const {
  const std::string name = Lower(key);
  if (keys_.contains(name)) return true;
  const auto it = keys_.lower_bound(name + '\\');
  return it != keys_.end() && IsUnder(it->first, name);
}

RegistryValue RegistryFile::Read(std::string_view key, std::string_view name) const {
  const auto found_key = keys_.find(Lower(key));
  if (found_key == keys_.end()) return {};
  const auto found_value = found_key->second.find(Lower(name));
  if (found_value == found_key->second.end()) return {};
  return found_value->second;
}

}  // namespace marulex
