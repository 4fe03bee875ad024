#include "convert/converter.h"

int main(int argc, char* argv[]) { return RunZone2Las(argc, argv); }
