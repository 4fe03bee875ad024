// Reading a zone table: opening it, its header line with each role's column,
// and each data line taken apart the same way on every reading.
#include "convert/table_input.h"

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "convert/columns.h"
#include "convert/line_end.h"
#include "platform/process.h"

// Opens the zone table for reading; false once the failure is reported.
bool OpenTable(DiskFile& table, Reporter& reporter) {
  const char* name = reporter.table_name();
  std::string err;
  table.SetName(name, &err);
  if (IsBlankText(name)) {
    reporter.Report("the zone table's name is blank");
    return false;
  }
  if (table.GetFullName().Length() == 0) {
    // A full path that was found but could not be stored has no reason.
    if (err.empty()) err = "the full path would not fit";
    reporter.Report("%s: cannot resolve the name to a full path: %s", name,
                    err.c_str());
    return false;
  }
  errno = 0;
  if (!table.OpenRead(false)) {
    reporter.Report("%s: cannot open: %s", name, SystemReason(errno).c_str());
    return false;
  }
  return true;
}

namespace {

// Spreadsheets start a UTF-8 text with a byte-order mark; it belongs to no
// column name.
void SkipByteOrderMark(String* line) {
  constexpr char kMark[] = "\xEF\xBB\xBF";
  const char* text = line->GetText();
  if (text != nullptr && std::strncmp(text, kMark, 3) == 0) {
    line->Assign(text + 3);
  }
}

// A table whose lines end in a carriage return alone reads as one long line:
// a carriage return with more text after it, other than line ends.
bool HasCarriageReturnLineEnds(const String& line) {
  const char* text = line.GetText();
  if (text == nullptr) return false;
  for (const char* cr = std::strchr(text, '\r'); cr != nullptr;
       cr = std::strchr(cr + 1, '\r')) {
    if (cr[1] != '\0' && cr[1] != '\r' && cr[1] != '\n') return true;
  }
  return false;
}

// Takes the header line apart: splits it as the table is delimited (the
// option's delimiter, or the one the line itself shows), chooses each role's
// column and checks the names. Makes |delimited| for a delimited table.
// Returns the exit status of a refused header, with the reason in |err|:
// kExitUsage when the columns the command line chose do not fit it.
int ParseHeader(const String& line, const Options& options, Reporter& reporter,
                std::optional<DelimitedTable>* delimited, TableHeader* header,
                std::string* err) {
  if (HasCarriageReturnLineEnds(line)) {
    *err =
        "the lines end in a carriage return alone; save the table with LF "
        "or CRLF line ends";
    return kExitFailure;
  }
  const int least = LeastColumns(options.columns);
  const Delimiter delimiter =
      options.delimiter
          ? *options.delimiter
          : DetectDelimiter(line.GetText(),
                            static_cast<std::size_t>(line.Length()), least);
  // The names take no more room than the line.
  Fields names;
  names.Reserve(static_cast<std::size_t>(line.Length()) + 1);
  if (delimiter == Delimiter::kSpace) {
    SplitWhiteSpaceFields(line, &names);
  } else {
    delimited->emplace(delimiter, reporter);
    if (!(*delimited)->SplitNames(line, &names, err)) return kExitFailure;
  }
  if (static_cast<int>(names.size()) < least) {
    *err = FormatText(
        "the header line names %d columns; it needs at least %d (%s)",
        static_cast<int>(names.size()), least,
        options.columns.one_well
            ? (options.columns.tops ? "top, zone" : "top, bottom, zone")
            : (options.columns.tops ? "well, top, zone"
                                    : "well, top, bottom, zone"));
    return kExitFailure;
  }
  std::vector<int> column_of;
  if (!ChooseColumns(names, options.columns, &column_of, err))
    return kExitUsage;
  if (!InPlace(column_of)) header->column_of = std::move(column_of);
  header->well_name = options.well_name;
  header->picks = options.columns.tops;
  header->column_count = names.size();
  for (int field = 1; field <= 2; ++field) {
    const std::size_t column = static_cast<std::size_t>(
        header->column_of.empty() ? field : header->column_of[field]);
    header->depth_column_names[field - 1] =
        column < names.size() ? names[column] : "";
  }
  // The names become the curves' names, in the order of the roles.
  if (delimited->has_value()) {
    (*delimited)
        ->SetColumns(header->column_of, header->well_name, names.size());
    (*delimited)->ArrangeHeader(&names);
  } else if (!header->column_of.empty()) {
    ArrangeFields(header->column_of, "WELL", &names);
  }
  return ParseHeaderFields(&names, header, err) ? kExitSuccess : kExitFailure;
}

}  // namespace

// Whether |line| is a comment: its first non-blank character is |comment|.
bool IsComment(const String& line, char comment) {
  if (comment == '\0' || line.GetText() == nullptr) return false;
  const char* text = line.GetText();
  while (*text == ' ' || *text == '\t') ++text;
  return *text == comment;
}

// Reads the header line, the first line that is neither blank nor a
// comment; returns the exit status once a failure is reported.
int ReadHeader(LineReader& reader, const Options& options, Reporter& reporter,
               std::optional<DelimitedTable>* delimited, TableHeader* header) {
  String line;
  std::string err;
  for (;;) {
    const LineReader::Status status = reader.Next(&line, &err);
    reporter.SetLineNumber(reader.line_number());
    // A stop signal breaks off a read that waits for the header (a FIFO, a
    // slow pipe): the run stops, as at any other line.
    if (const int signal = platform::PendingInterrupt()) return 128 + signal;
    switch (status) {
      case LineReader::Status::kFailed:
        reporter.Report("%s: %s", reporter.table_name(), err.c_str());
        return kExitFailure;
      case LineReader::Status::kEnd:
        reporter.Report("%s: no header line: the file is empty or blank",
                        reporter.table_name());
        return kExitFailure;
      case LineReader::Status::kUnreadable:
        reporter.ReportLine("header %s", err.c_str());
        return kExitFailure;
      case LineReader::Status::kText: {
        if (reader.line_number() == 1) SkipByteOrderMark(&line);
        if (line.IsBlank() || IsComment(line, options.comment)) continue;
        const int refused =
            ParseHeader(line, options, reporter, delimited, header, &err);
        if (refused != kExitSuccess) reporter.ReportLine("%s", err.c_str());
        return refused;
      }
    }
  }
}

// Where a depth that is not a number came from: its column, by number and
// header name, and the first time in a run how to choose other columns.
std::string DepthColumnHint(const TableHeader& header, int field,
                            bool* hinted) {
  const std::size_t column =
      header.column_of.empty()
          ? static_cast<std::size_t>(field)
          : static_cast<std::size_t>(header.column_of[field]);
  std::string hint =
      FormatText(" (column %d, \"%s\")", static_cast<int>(column) + 1,
                 header.depth_column_names[field - 1].c_str());
  if (!*hinted) {
    *hinted = true;
    hint += header.picks ? "; choose the column with --top-column"
                         : "; choose the columns with --top-column and "
                           "--bottom-column";
    if (header.well_name == nullptr)
      hint += ", or give a one-well table's name with --well";
  }
  return hint;
}

// Splits a data line by the table's delimiter into |data|'s buffers and
// checks the fields the same way whatever the delimiter. False, with the
// reason in |err|, for a line that cannot be converted.
bool TakeApart(const String& line, std::size_t length,
               const TableHeader& header,
               std::optional<DelimitedTable>& delimited, double depth_step,
               DataLine* data, std::string* err, LineFacts* facts) {
  Fields* fields = &data->values;
  if (delimited) {
    if (!delimited->SplitData(line, header.attribute_count(), fields, err))
      return false;
  } else {
    if (!CheckLineEnd(line.GetText(), length, err)) return false;
    // One field past the header's tells a line with more.
    SplitWhiteSpaceFields(line, fields, header.column_count + 1);
    if (facts != nullptr) facts->wide = fields->size() > header.column_count;
    if (!header.column_of.empty())
      ArrangeFields(header.column_of, header.well_name, fields);
  }
  return ParseDataFields(fields, header.attribute_count(), depth_step, data,
                         err, header.picks,
                         facts != nullptr ? &facts->not_a_number : nullptr);
}
