#include "convert/well_registry.h"

#include <string>
#include <utility>

WellRegistry::WellRegistry(Reporter& reporter, WellFolders& folders,
                           const std::string& table_path,
                           const std::string& output_dir)
    : reporter_(reporter),
      folders_(folders),
      output_prefix_(output_dir.empty() || output_dir.back() == '/' ||
                             output_dir.back() == '\\'
                         ? output_dir
                         : output_dir + "/") {
  std::string ignored;
  has_table_identity_ =
      platform::IdentifyPath(table_path.c_str(), &table_identity_, &ignored);
}

bool WellRegistry::TakeRefusal(const Well& well, std::string* message) {
  const auto refusal = refusals_.find(&well);
  if (refusal == refusals_.end()) return false;
  *message = std::move(refusal->second);
  refusals_.erase(refusal);
  return true;
}

// A well whose file cannot be written, known by its name's text.
WellRegistry::Well* WellRegistry::RefusedWell(const std::string& file_name,
                                              const std::string& message) {
  Well& well = wells_["\n" + file_name];
  if (well.file_name.empty()) {
    well.file_name = file_name;
    well.failed = true;
    refusals_[&well] = message;
  }
  return &well;
}

// Lookup for a name other than the last one: a spelling looked up before,
// or one looked up now for the first time.
WellRegistry::Well& WellRegistry::LookUpSpelling(const String& name,
                                                 const char* text) {
  looked_up_name_ = text;
  const auto known = by_spelling_.find(looked_up_name_);
  if (known != by_spelling_.end()) {
    looked_up_ = known->second;
    return *looked_up_;
  }
  Well& well = LookUpAnew(name);
  by_spelling_.emplace(looked_up_name_, &well);
  return well;
}

// Lookup for a spelling not looked up before: where its file goes, and the
// well of that file.
WellRegistry::Well& WellRegistry::LookUpAnew(const String& name) {
  const char* text = name.GetText() != nullptr ? name.GetText() : "";
  const std::string file_name =
      (flat_names_ ? FlatName(looked_up_name_) : looked_up_name_) + ".las";
  // Messages name the file as the user would reach it.
  const std::string shown_name = output_prefix_ + file_name;
  // Made only for a well that is refused: a table sorted by formation looks
  // up a well at nearly every line.
  const auto outside = [&] {
    return FormatText(
        "well \"%s\" would place its file outside the %s directory; its "
        "lines are skipped",
        text, output_prefix_.empty() ? "working" : "output");
  };
  if (!StaysInWorkingDirectory(file_name.c_str())) {
    looked_up_ = RefusedWell(shown_name, outside());
    return *looked_up_;
  }
  std::size_t folder = 0;
  std::string base_name;
  std::string key;
  std::string err;
  if (!folders_.Place(file_name, &folder, &base_name, &key, &err)) {
    const std::size_t separator = file_name.find_last_of("/\\");
    if (!err.empty() && separator != std::string::npos) {
      err += FormatText(
          " (the well's name places its file in the folder \"%s\"; "
          "--flat-names keeps the whole name in the file's name: %s.las)",
          file_name.substr(0, separator).c_str(),
          FlatName(looked_up_name_).c_str());
    }
    looked_up_ = RefusedWell(
        shown_name,
        err.empty() ? outside() : "cannot create " + shown_name + ": " + err);
    return *looked_up_;
  }
  Well& well = wells_[key];
  looked_up_ = &well;
  if (!well.file_name.empty()) {
    // Two spellings that only flattening made one file are noted once.
    if (flat_names_ && !well.flat_source.empty() &&
        !String(well.flat_source.c_str()).Equals(name)) {
      reporter_.NoteLine(
          "well \"%s\" and well \"%s\" reach one file, %s, once their names "
          "are flattened: they are one well",
          well.flat_source.c_str(), text, well.file_name.c_str());
      well.flat_source.clear();
    }
    return well;
  }
  if (flat_names_) well.flat_source = text;
  well.file_name = shown_name;
  well.base_name = base_name;
  well.folder = folder;
  platform::FileIdentity identity;
  const platform::Directory* place = folders_.Folder(folder, &err);
  if (place == nullptr) {
    well.failed = true;
    refusals_[&well] = "cannot create " + shown_name + ": " + err;
  } else if (has_table_identity_ &&
             place->IdentifyFile(base_name.c_str(), &identity, &err) &&
             identity == table_identity_) {
    well.failed = true;
    refusals_[&well] = FormatText(
        "well \"%s\" would replace the zone table; its lines are skipped",
        text);
  }
  return well;
}
