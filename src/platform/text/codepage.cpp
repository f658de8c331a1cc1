#include "platform/text/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace text {
namespace {

// One conversion through iconv; a byte or character it cannot take is replaced and skipped.
template <typename Out, typename In>
Out Convert(const char* to, const char* from, const In* data, size_t units, const Out& replacement,
            size_t badUnitBytes) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv cannot convert text");
  Out out;
  char* in = const_cast<char*>(reinterpret_cast<const char*>(data));
  size_t inLeft = units * sizeof(In);
  char buffer[1024];
  while (inLeft > 0) {
    char* o = buffer;
    size_t oLeft = sizeof buffer;
    size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    out.append(reinterpret_cast<const typename Out::value_type*>(buffer),
               (sizeof buffer - oLeft) / sizeof(typename Out::value_type));
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      // EILSEQ or EINVAL (a sequence cut at the end): replace one unit and go on.
      out += replacement;
      size_t skip = badUnitBytes < inLeft ? badUnitBytes : inLeft;
      in += skip;
      inLeft -= skip;
    }
  }
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  iconv_close(cd);
  return out;
}

}  // namespace

std::u16string Cp936ToUtf16(std::string_view bytes) {
  return Convert<std::u16string>("UTF-16LE", "CP936", bytes.data(), bytes.size(), u"\uFFFD", 1);
}

std::string Utf16ToCp936(std::u16string_view chars) {
  return Convert<std::string>("CP936", "UTF-16LE", chars.data(), chars.size(), "?", 2);
}

std::string Cp936ToUtf8(std::string_view bytes) {
  return Convert<std::string>("UTF-8", "CP936", bytes.data(), bytes.size(), "\xEF\xBF\xBD", 1);
}

std::string Utf16ToUtf8(std::u16string_view chars) {
  return Convert<std::string>("UTF-8", "UTF-16LE", chars.data(), chars.size(), "\xEF\xBF\xBD", 2);
}

std::string Utf8ToCp936(std::string_view utf8) {
  return Convert<std::string>("CP936", "UTF-8", utf8.data(), utf8.size(), "?", 1);
}

}  // namespace text
