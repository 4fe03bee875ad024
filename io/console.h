// The program's console: standard output for the usage, help and version
// texts, standard error for messages. Text goes out as given; a Windows
// console stream adds its carriage returns itself.
#ifndef ZONE2LAS_IO_CONSOLE_H_
#define ZONE2LAS_IO_CONSOLE_H_

#include <string>

// Writes |text| to standard output and flushes it.
void WriteToOutput(const std::string& text);

// Writes |text| to standard error, which holds nothing back.
void WriteToError(const std::string& text);

#endif  // ZONE2LAS_IO_CONSOLE_H_
