#include "convert/converter.h"
#include "platform/process.h"

int main(int argc, char* argv[]) {
  // Before anything is opened: a closed standard stream would otherwise be
  // taken by the first file, and messages would land in it.
  platform::EnsureStandardStreams();
  platform::RaiseOpenFileLimit();
  platform::InstallInterruptHandlers();
  return RunZone2Las(argc, argv);
}
