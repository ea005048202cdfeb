// SPDX-License-Identifier: GPL-3.0-or-later
// --files-from: names from a file or standard input, added to the operands.
#include <istream>
#include <ostream>

#include "commands.h"
#include "support/run_time_error.h"
#include "terminal_text.h"

namespace pb::cli {

namespace {

std::string ReadAllOf(FileSystem& fs, const std::string& path) {
  const FileNumber file = fs.Open(DrivePathFromArgument(fs, path), OpenMode::BinaryRead);
  try {
    std::string bytes = fs.Read(file, fs.Length(file));
    fs.Close(file);
    return bytes;
  } catch (const RunTimeError&) {
    fs.CloseAll();
    throw;
  }
}

}  // namespace

std::vector<std::string> SplitNameList(const std::string& text, bool nullSeparated) {
  std::vector<std::string> names;
  const char end = nullSeparated ? '\0' : '\n';
  for (std::size_t from = 0; from < text.size();) {
    std::size_t to = text.find(end, from);
    if (to == std::string::npos) to = text.size();
    std::string name = text.substr(from, to - from);
    // Lists written on Windows end their lines with CR LF.
    if (!nullSeparated && !name.empty() && name.back() == '\r') name.pop_back();
    if (!name.empty()) names.push_back(std::move(name));
    from = to + 1;
  }
  return names;
}

std::optional<int> AddNamesFromList(CliContext& context, Invocation& invocation, std::istream& in) {
  const NameListOptions& list = invocation.nameList;
  if (!list.filesFrom) return std::nullopt;
  std::string text;
  if (*list.filesFrom == "-") {
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } else {
    try {
      text = ReadAllOf(context.runtime.fs, *list.filesFrom);
    } catch (const RunTimeError& error) {
      context.err << "parcelbarge-cli: " << TerminalSafe(*list.filesFrom) << ": " << error.description() << "\n";
      return kExitUsage;
    }
  }
  const std::vector<std::string> names = SplitNameList(text, list.nullSeparated);
  std::vector<std::string>& operands =
      invocation.command == Command::Backup ? invocation.backup.sources : invocation.read.patterns;
  operands.insert(operands.end(), names.begin(), names.end());
  if (invocation.command == Command::Backup && operands.empty()) {
    context.err << "Nichts zu sichern: keine Quelle genannt.\n";
    return kExitUsage;
  }
  return std::nullopt;
}

}  // namespace pb::cli
