// SPDX-License-Identifier: GPL-3.0-or-later
#include "command_line.h"

#include <getopt.h>

#include <algorithm>
#include <cstdint>
#include <ostream>

#include "exit_status.h"
#include "store/repair_code.h"
#include "terminal_text.h"

namespace pb::cli {

namespace {

enum class Opt {
  VolumeSize, ClearTarget, Verify, RepairVolumes, Description, Workers, DryRun, IncludeHidden, StripComponents,
  KeepExisting, ToStdout, Long, Porcelain, Exclude, FilesFrom, Null, Verbose, Quiet, Yes, Help
};

struct OptionEntry {
  Opt id;
  const char* longName;
  char shortName;     // '\0': long form only
  const char* value;  // the value's name; nullptr for a switch
  const char* help;
};

const OptionEntry kOptions[] = {
    {Opt::VolumeSize, "volume-size", 's', "GRÖSSE",
     "schließt jeden Band, sobald er GRÖSSE erreicht: eine Zahl mit K, KiB, M oder MiB (1423K, 1,5M)"},
    {Opt::ClearTarget, "clear-target", 'c', nullptr,
     "löscht vorher die Dateien im Ziel und auf jeder weiteren Diskette"},
    {Opt::Verify, "verify", '\0', nullptr,
     "liest jeden Band nach dem Schreiben vom Datenträger zurück und prüft ihn"},
    {Opt::RepairVolumes, "repair-volumes", '\0', "N",
     "schreibt N Reparaturbände (1 bis 16) je 255 - N Bände: aus ihnen lassen sich bis zu N verlorene "
     "oder beschädigte Bände wiederherstellen"},
    {Opt::Description, "description", 'd', "TEXT", "speichert TEXT (bis 500 Zeichen aus Windows-1252) als Beschreibung"},
    {Opt::Workers, "workers", 'j', "N",
     "komprimiert in N Threads, 1 bis 64 (Vorgabe: einer je Prozessorkern, höchstens 16)"},
    {Opt::DryRun, "dry-run", 'n', nullptr,
     "nennt, was gesichert und was mit --clear-target gelöscht würde, und schreibt nichts"},
    {Opt::IncludeHidden, "include-hidden", '\0', nullptr,
     "nimmt in Verzeichnissen auch Einträge, deren Name mit \".\" beginnt"},
    {Opt::StripComponents, "strip-components", '\0', "N",
     "lässt die ersten N Verzeichnisse jedes gespeicherten Namens weg"},
    {Opt::KeepExisting, "keep-existing", 'k', nullptr, "überschreibt keine vorhandene Datei und nennt sie"},
    {Opt::ToStdout, "to-stdout", 'O', nullptr,
     "schreibt die gewählten Dateien nacheinander auf die Standardausgabe statt in ein ZIELVERZEICHNIS"},
    {Opt::Long, "long", 'l', nullptr,
     "zeigt auch die gespeicherte Größe, den Band, auf dem jede Datei beginnt, und ihre Zeit"},
    {Opt::Porcelain, "porcelain", '\0', nullptr,
     "eine Zeile je Datei für Skripte: Länge, gespeicherte Größe, Band, Zeit und Name, durch Tabulatoren getrennt"},
    {Opt::Exclude, "exclude", '\0', "MUSTER", "lässt Dateien aus, auf die MUSTER passt (mehrfach möglich)"},
    {Opt::FilesFrom, "files-from", 'T', "DATEI",
     "liest weitere Quellen oder Muster aus DATEI, eine je Zeile (- liest die Standardeingabe)"},
    {Opt::Null, "null", '\0', nullptr, "die Namen in der Datei von --files-from enden mit einem Nullbyte"},
    {Opt::Verbose, "verbose", 'v', nullptr, "nennt jede Datei, sobald sie an der Reihe ist"},
    {Opt::Quiet, "quiet", 'q', nullptr, "zeigt nur Fehler und Fragen"},
    {Opt::Yes, "yes", 'y', nullptr,
     "bestätigt jede Bitte um den nächsten Datenträger mit OK; fehlt er dann noch, endet der Lauf"},
    {Opt::Help, "help", 'h', nullptr, "zeigt diese Hilfe"},
};

struct CommandEntry {
  Command command;
  const char* word;
  const char* operands;
  std::size_t minOperands;
  std::size_t maxOperands;
  std::vector<Opt> options;
};

const std::vector<CommandEntry> kCommands = {
    {Command::Backup, "backup", "ZIEL QUELLE...", 2, SIZE_MAX,
     {Opt::VolumeSize, Opt::ClearTarget, Opt::Verify, Opt::RepairVolumes, Opt::Description, Opt::Workers, Opt::DryRun,
      Opt::IncludeHidden, Opt::Exclude, Opt::FilesFrom, Opt::Null, Opt::Verbose, Opt::Quiet, Opt::Yes, Opt::Help}},
    {Command::Probe, "probe", "QUELLVERZEICHNIS", 1, 1, {Opt::Quiet, Opt::Help}},
    {Command::Restore, "restore", "QUELLVERZEICHNIS ZIELVERZEICHNIS [MUSTER...]", 2, SIZE_MAX,
     {Opt::StripComponents, Opt::KeepExisting, Opt::ToStdout, Opt::Exclude, Opt::FilesFrom, Opt::Null, Opt::Verbose,
      Opt::Quiet, Opt::Yes, Opt::Help}},
    {Command::List, "list", "QUELLVERZEICHNIS [MUSTER...]", 1, SIZE_MAX,
     {Opt::Long, Opt::Porcelain, Opt::Exclude, Opt::FilesFrom, Opt::Null, Opt::Quiet, Opt::Yes, Opt::Help}},
    {Command::Test, "test", "QUELLVERZEICHNIS", 1, 1, {Opt::Verbose, Opt::Quiet, Opt::Yes, Opt::Help}},
    {Command::Repair, "repair", "VERZEICHNIS", 1, 1, {Opt::Quiet, Opt::Help}},
};

// What the window's description box takes.
constexpr std::size_t kMaxDescription = 500;

// Each worker holds about 1 MB.
constexpr int kMaxWorkers = 64;
constexpr int kMaxStripComponents = 999;

// getopt_long's value for an option without a short form.
constexpr int kLongOnly = 256;

const OptionEntry& OptionOf(Opt id) {
  return *std::find_if(std::begin(kOptions), std::end(kOptions), [&](const OptionEntry& entry) { return entry.id == id; });
}

int CodeOf(const OptionEntry& option) {
  return option.shortName != '\0' ? option.shortName : kLongOnly + static_cast<int>(option.id);
}

// Characters, not bytes: "GRÖSSE" has one two-byte letter.
std::size_t CharacterCount(const std::string& text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string Synopsis(const CommandEntry& command) {
  std::string line = std::string("  parcelbarge-cli ") + command.word;
  if (command.options.size() > 1) line += " [OPTIONEN]";
  return line + " " + command.operands + "\n";
}

void PrintOptions(std::ostream& out, const CommandEntry& command) {
  for (const Opt id : command.options) {
    const OptionEntry& option = OptionOf(id);
    std::string name = option.shortName != '\0' ? std::string("-") + option.shortName + ", " : "    ";
    name += std::string("--") + option.longName;
    if (option.value) name += std::string(" ") + option.value;
    out << "  " << name;
    const std::size_t width = CharacterCount(name);
    out << std::string(width < 28 ? 28 - width : 1, ' ') << option.help << "\n";
  }
}

void PrintExitStatuses(std::ostream& out) {
  out << "Exit-Status:\n"
         "  0    vollständig\n"
         "  1    fertig, aber mit Problemen (Dateien ausgelassen, beschädigte Daten, Muster ohne Treffer)\n"
         "  2    falscher Aufruf oder abgelehnte Eingabe\n"
         "  3    schwerer Fehler\n"
         "  4    vom Benutzer abgebrochen\n"
         "  5    Datenträger oder Sicherungssatz nicht verfügbar\n"
         "  130  unterbrochen (Strg+C, SIGTERM)\n";
}

void PrintUsage(std::ostream& out) {
  out << "Aufruf:\n";
  for (const CommandEntry& command : kCommands) out << Synopsis(command);
  out << "  parcelbarge-cli BEFEHL --help\n"
         "  parcelbarge-cli --help | --version\n"
         "ZIEL ist ein Verzeichnis oder A:. MUSTER wählen gespeicherte Namen aus (* und ? als Platzhalter,\n"
         "/ oder \\ als Trenner); ein Verzeichnis wählt alles darunter.\n";
  for (const CommandEntry& command : kCommands) {
    if (command.options.size() < 2) continue;
    out << "Optionen von " << command.word << ":\n";
    PrintOptions(out, command);
  }
  PrintExitStatuses(out);
}

void PrintCommandHelp(std::ostream& out, const CommandEntry& command) {
  out << "Aufruf:\n" << Synopsis(command) << "Optionen:\n";
  PrintOptions(out, command);
  PrintExitStatuses(out);
}

// Help and version count as done only when they reached their reader.
int Printed(std::ostream& out) { return out.flush() ? kExitComplete : kExitFatal; }

int Refuse(std::ostream& err, const std::string& where, const std::string& what) {
  err << where << ": " << TerminalSafe(what) << "\n"
      << "Mehr mit: " << where << " --help\n";
  return kExitUsage;
}

std::optional<int> Number(const std::string& text, int low, int high) {
  if (text.empty() || text.size() > 5 || !std::all_of(text.begin(), text.end(), [](char c) {
        return c >= '0' && c <= '9';
      })) {
    return std::nullopt;
  }
  const int value = std::stoi(text);
  if (value < low || value > high) return std::nullopt;
  return value;
}

// The option as it was written, without a value joined by "=".
std::string WrittenOption(const std::string& argument, int code) {
  if (argument.rfind("--", 0) == 0) return argument.substr(0, argument.find('='));
  return std::string("-") + static_cast<char>(code);
}

}  // namespace

std::variant<Invocation, int> ParseCommandLine(const std::vector<std::string>& args, std::ostream& out,
                                               std::ostream& err) {
  if (args.empty()) return Refuse(err, "parcelbarge-cli", "Befehl fehlt");
  if (args[0] == "--help" || args[0] == "-h") {
    PrintUsage(out);
    return Printed(out);
  }
  if (args[0] == "--version") {
    out << "parcelbarge-cli " PB_VERSION "\n";
    return Printed(out);
  }
  const auto command = std::find_if(kCommands.begin(), kCommands.end(),
                                    [&](const CommandEntry& entry) { return args[0] == entry.word; });
  if (command == kCommands.end()) {
    return Refuse(err, "parcelbarge-cli",
                  (args[0].rfind('-', 0) == 0 ? "unbekannte Option: " : "unbekannter Befehl: ") + args[0]);
  }
  const std::string where = std::string("parcelbarge-cli ") + command->word;

  std::string shortOptions = ":";
  std::vector<option> longOptions;
  for (const Opt id : command->options) {
    const OptionEntry& option = OptionOf(id);
    if (option.shortName != '\0') {
      shortOptions += option.shortName;
      if (option.value) shortOptions += ':';
    }
    longOptions.push_back({option.longName, option.value ? required_argument : no_argument, nullptr, CodeOf(option)});
  }
  longOptions.push_back({nullptr, 0, nullptr, 0});

  std::vector<std::string> words(args);
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(words.size());

  Invocation invocation;
  invocation.command = command->command;
  BackupOptions& backup = invocation.backup;
  ReadOptions& read = invocation.read;
  // getopt keeps its state between calls: 0 starts it afresh.
  optind = 0;
  opterr = 0;
  int code = 0;
  while ((code = getopt_long(argc, argv.data(), shortOptions.c_str(), longOptions.data(), nullptr)) != -1) {
    const std::string written = optind >= 1 ? argv[static_cast<std::size_t>(optind) - 1] : "";
    if (code == ':') return Refuse(err, where, "Option " + WrittenOption(written, optopt) + " braucht einen Wert");
    if (code == '?') {
      if (optopt != 0 && written.rfind("--", 0) == 0) {
        return Refuse(err, where, "Option " + WrittenOption(written, optopt) + " nimmt keinen Wert");
      }
      return Refuse(err, where, "unbekannte Option: " + (optopt != 0 ? WrittenOption("", optopt) : WrittenOption(written, 0)));
    }
    const auto chosen = std::find_if(std::begin(kOptions), std::end(kOptions),
                                     [&](const OptionEntry& candidate) { return CodeOf(candidate) == code; });
    const std::string value = optarg ? optarg : "";
    switch (chosen->id) {
      case Opt::Help:
        PrintCommandHelp(out, *command);
        return Printed(out);
      case Opt::VolumeSize:
        backup.volumeSize = ParseVolumeSize(value);
        if (!backup.volumeSize) {
          return Refuse(err, where, "ungültige Größe: " + value + " (eine Zahl mit K, KiB, M oder MiB, etwa 1423K oder 1,5M)");
        }
        break;
      case Opt::Workers: {
        const std::optional<int> workers = Number(value, 1, kMaxWorkers);
        if (!workers) return Refuse(err, where, "ungültige Zahl von Threads: " + value + " (1 bis 64)");
        backup.workers = *workers;
        break;
      }
      case Opt::RepairVolumes: {
        if (!RepairCodeAvailable()) {
          return Refuse(err, where, "Reparaturbände kann diese Fassung des Programms nicht schreiben.");
        }
        const std::optional<int> rows = Number(value, 1, kMaxRepairRows);
        if (!rows) return Refuse(err, where, "ungültige Zahl von Reparaturbänden: " + value + " (1 bis 16)");
        backup.repairVolumes = *rows;
        break;
      }
      case Opt::StripComponents: {
        const std::optional<int> count = Number(value, 0, kMaxStripComponents);
        if (!count) return Refuse(err, where, "ungültige Zahl von Verzeichnissen: " + value + " (0 bis 999)");
        read.stripComponents = *count;
        break;
      }
      case Opt::ClearTarget: backup.clearTarget = true; break;
      case Opt::Verify: backup.verify = true; break;
      case Opt::Description:
        if (CharacterCount(value) > kMaxDescription) {
          return Refuse(err, where, "Beschreibung zu lang: " + std::to_string(CharacterCount(value)) + " Zeichen (bis 500)");
        }
        backup.description = value;
        break;
      case Opt::DryRun: backup.dryRun = true; break;
      case Opt::IncludeHidden: backup.includeHidden = true; break;
      case Opt::KeepExisting: read.keepExisting = true; break;
      case Opt::ToStdout: read.toStdout = true; break;
      case Opt::Long: read.longList = true; break;
      case Opt::Porcelain: read.porcelain = true; break;
      case Opt::Exclude:
        backup.excludes.push_back(value);
        read.excludes.push_back(value);
        break;
      case Opt::FilesFrom: invocation.nameList.filesFrom = value; break;
      case Opt::Null: invocation.nameList.nullSeparated = true; break;
      case Opt::Verbose: invocation.terminal.verbose = true; break;
      case Opt::Quiet: invocation.terminal.quiet = true; break;
      case Opt::Yes: invocation.terminal.yes = true; break;
    }
  }

  // The command word itself stays first: getopt_long skips argv[0].
  const std::vector<std::string> operands(argv.begin() + optind, argv.end() - 1);
  // Sources may all come from a file; bytes on standard output need no target.
  std::size_t minOperands = command->minOperands;
  if (invocation.nameList.filesFrom && command->command == Command::Backup) minOperands = 1;
  if (read.toStdout) minOperands = 1;
  if (operands.size() < minOperands) {
    return Refuse(err, where, std::string("zu wenige Argumente, erwartet: ") + command->operands);
  }
  if (operands.size() > command->maxOperands) return Refuse(err, where, "überzähliges Argument: " + operands.back());
  if (command->command == Command::Backup) {
    backup.target = operands[0];
    backup.sources.assign(operands.begin() + 1, operands.end());
    return invocation;
  }
  read.source = operands[0];
  std::size_t patternsFrom = 1;
  if (command->command == Command::Restore && !read.toStdout) read.target = operands[patternsFrom++];
  read.patterns.assign(operands.begin() + static_cast<std::ptrdiff_t>(std::min(patternsFrom, operands.size())),
                       operands.end());
  return invocation;
}

}  // namespace pb::cli
