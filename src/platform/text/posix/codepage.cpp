#include "platform/text/text_backend.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <optional>
#include <stdexcept>

#include "platform/text/characters.h"
#include "platform/text/known_texts.h"

namespace text {
namespace {

// Every character the code page lacks, and every lone surrogate, becomes one '?', as the
// platform's own conversion writes it. ICU's substitute callback writes nothing for a
// default-ignorable character (U+200B, U+00AD, U+FEFF ...), which would drop it unseen.
void WriteQuestionMark(const void*, UConverterFromUnicodeArgs* args, const UChar*, int32_t, UChar32,
                       UConverterCallbackReason reason, UErrorCode* error) {
  if (reason > UCNV_IRREGULAR) return;  // a reset, close or clone: nothing to write
  *error = U_ZERO_ERROR;
  ucnv_cbFromUWriteBytes(args, "?", 1, 0, error);
}

// ICU's windows-936 is the platform's own table: the user-defined areas, 0x80 and 0xFF
// included, which glibc's CP936 lacks, so what a card held goes back onto it unchanged. No
// best fit: a character the code page lacks is never written as a look-alike; `onMissing`
// says what it becomes instead.
class Cp936Converter {
 public:
  explicit Cp936Converter(UConverterFromUCallback onMissing) {
    UErrorCode error = U_ZERO_ERROR;
    converter_ = ucnv_open("windows-936", &error);
    if (U_FAILURE(error)) throw std::runtime_error("ICU has no converter for code page 936");
    ucnv_setFromUCallBack(converter_, onMissing, nullptr, nullptr, nullptr, &error);
    ucnv_setFallback(converter_, false);
    if (U_FAILURE(error)) {
      ucnv_close(converter_);
      throw std::runtime_error("ICU cannot set what code page 936 writes for a missing character");
    }
  }
  ~Cp936Converter() { ucnv_close(converter_); }
  Cp936Converter(const Cp936Converter&) = delete;
  Cp936Converter& operator=(const Cp936Converter&) = delete;

  UConverter* get() const { return converter_; }

 private:
  UConverter* converter_ = nullptr;
};

// One of each per thread: a converter keeps state between calls, and the tests' pty peer
// converts on its own thread. The exact one stops at a character the code page lacks.
UConverter* Converter() {
  thread_local Cp936Converter converter(WriteQuestionMark);
  return converter.get();
}
UConverter* ExactConverter() {
  thread_local Cp936Converter converter(UCNV_FROM_U_CALLBACK_STOP);
  return converter.get();
}

// Runs an ICU conversion with a first guess at the size and once more with the size it
// asks for. ICU's calls take the capacity and report the length they need.
template <typename Out, typename Call>
Out Run(size_t guess, Call call) {
  Out out(guess, typename Out::value_type{});
  UErrorCode error = U_ZERO_ERROR;
  int32_t length = call(out.data(), static_cast<int32_t>(out.size()), &error);
  if (error == U_BUFFER_OVERFLOW_ERROR) {
    out.assign(static_cast<size_t>(length), typename Out::value_type{});
    error = U_ZERO_ERROR;
    length = call(out.data(), static_cast<int32_t>(out.size()), &error);
  }
  if (U_FAILURE(error)) throw std::runtime_error("ICU cannot convert text");
  out.resize(static_cast<size_t>(length));
  return out;
}

int32_t Length(size_t size) {
  if (size > INT32_MAX / 4) throw std::length_error("text too long to convert");
  return static_cast<int32_t>(size);
}

}  // namespace

// ASCII and the resources' own texts, known in both forms, need no converter: ICU's tables
// stay unread while the window starts and paints, until a card, a lookup or a message
// brings other text.
std::u16string Cp936ToUtf16(std::string_view bytes) {
  if (IsAscii(bytes)) return std::u16string(bytes.begin(), bytes.end());
  if (const std::u16string* known = KnownUtf16(bytes)) return *known;
  // ICU's default callback replaces an undecodable sequence with U+FFFD and goes on; a
  // byte that cannot trail a lead is read again on its own.
  return Run<std::u16string>(bytes.size(), [&](char16_t* out, int32_t capacity, UErrorCode* error) {
    return ucnv_toUChars(Converter(), out, capacity, bytes.data(), Length(bytes.size()), error);
  });
}

std::string Utf16ToCp936(std::u16string_view chars) {
  if (IsAscii(chars)) return std::string(chars.begin(), chars.end());
  if (const std::string* known = KnownCp936(chars)) return *known;
  return Run<std::string>(2 * chars.size(), [&](char* out, int32_t capacity, UErrorCode* error) {
    return ucnv_fromUChars(Converter(), out, capacity, chars.data(), Length(chars.size()), error);
  });
}

// The exact conversion, with the round trip checked, so no substitute can get through.
std::optional<std::string> backend::Cp936OfWholeText(std::u16string_view chars) {
  std::string out(2 * chars.size() + 2, '\0');
  UErrorCode error = U_ZERO_ERROR;
  ucnv_resetFromUnicode(ExactConverter());
  const int32_t length = ucnv_fromUChars(ExactConverter(), out.data(), static_cast<int32_t>(out.size()), chars.data(),
                                         Length(chars.size()), &error);
  if (U_FAILURE(error)) return std::nullopt;
  out.resize(static_cast<size_t>(length));
  if (Cp936ToUtf16(out) != chars) return std::nullopt;
  return out;
}

}  // namespace text
