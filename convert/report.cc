#include "convert/report.h"

#include <cstdio>
#include <cstring>

#include "io/console.h"

namespace {

void AppendFormatted(std::string* out, const char* format, va_list args) {
  va_list measure;
  va_copy(measure, args);
  const int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (length <= 0) return;
  const std::size_t start = out->size();
  out->resize(start + static_cast<std::size_t>(length) + 1);
  std::vsnprintf(&(*out)[start], static_cast<std::size_t>(length) + 1, format,
                 args);
  out->resize(start + static_cast<std::size_t>(length));
}

}  // namespace

void AppendPrintable(std::string* out, const std::string& text) {
  static const char kHex[] = "0123456789abcdef";
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7f) {
      out->push_back(c);
    } else if (c == '\r') {
      out->append("\\r");
    } else if (c == '\n') {
      out->append("\\n");
    } else if (c == '\t') {
      out->append("\\t");
    } else {
      out->append("\\x");
      out->push_back(kHex[byte >> 4]);
      out->push_back(kHex[byte & 0xf]);
    }
  }
}

std::string FormatText(const char* format, ...) {
  std::string text;
  va_list args;
  va_start(args, format);
  AppendFormatted(&text, format, args);
  va_end(args);
  return text;
}

std::string SystemReason(int error) {
  return error != 0 ? std::strerror(error) : "unknown error";
}

void Reporter::Emit(bool on_line, bool failure, const char* format,
                    va_list args) {
  std::string message =
      on_line ? FormatText("%s: %s:%ld: ", kProgram, table_name_, line_number_)
              : FormatText("%s: ", kProgram);
  if (on_line && !failure) message += "note: ";
  std::string body;
  AppendFormatted(&body, format, args);
  AppendPrintable(&message, body);
  message += '\n';
  if (capture_ != nullptr) {
    *capture_ += message;
  } else {
    WriteToError(message);
  }
  if (failure) failed_ = true;
}

void Reporter::Report(const char* format, ...) {
  va_list args;
  va_start(args, format);
  Emit(false, true, format, args);
  va_end(args);
}

void Reporter::ReportLine(const char* format, ...) {
  va_list args;
  va_start(args, format);
  Emit(true, true, format, args);
  va_end(args);
}

void Reporter::Note(const char* format, ...) {
  va_list args;
  va_start(args, format);
  Emit(false, false, format, args);
  va_end(args);
}

void Reporter::NoteLine(const char* format, ...) {
  va_list args;
  va_start(args, format);
  Emit(true, false, format, args);
  va_end(args);
}
