// The converter's messages: one line each on standard error, "zone2las: "
// first, and for a line of the zone table "zone2las: TABLE:LINE: ". A
// reported failure makes the run's exit status 1.
#ifndef ZONE2LAS_CONVERT_REPORT_H_
#define ZONE2LAS_CONVERT_REPORT_H_

#include <cstdarg>
#include <string>

constexpr const char kProgram[] = "zone2las";

// printf into a std::string.
std::string FormatText(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Appends |text| with every control character shown escaped ("\r",
// "\t", "\x01"): a carriage return from a table or a command line would
// otherwise hide the message before it on a terminal.
void AppendPrintable(std::string* out, const std::string& text);

// The system's words for errno value |error|; "unknown error" for 0.
std::string SystemReason(int error);

class Reporter {
 public:
  // Messages about lines name |table_name| as the user gave it. With
  // |capture|, messages are appended there instead of going to standard
  // error (for tests).
  explicit Reporter(const char* table_name, std::string* capture = nullptr)
      : table_name_(table_name), capture_(capture) {}

  // The number of the line that ReportLine speaks of.
  void SetLineNumber(long number) { line_number_ = number; }

  // A failure of the run: "zone2las: <message>".
  void Report(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;
  // A failure on the current line: "zone2las: TABLE:LINE: <message>".
  void ReportLine(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;
  // A remark that is no failure: "zone2las: <message>".
  void Note(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;

  // A remark on the current line that is no failure:
  // "zone2las: TABLE:LINE: note: <message>".
  void NoteLine(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;

  bool failed() const { return failed_; }
  const char* table_name() const { return table_name_; }

 private:
  void Emit(bool on_line, bool failure, const char* format, va_list args);

  const char* table_name_;
  std::string* capture_;
  long line_number_ = 0;
  bool failed_ = false;
};

#endif  // ZONE2LAS_CONVERT_REPORT_H_
