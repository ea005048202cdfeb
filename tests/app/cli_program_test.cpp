// SPDX-License-Identifier: GPL-3.0-or-later
// The real parcelbarge-cli executable as a user or a script meets it: one
// table of arguments, input, exit status and lines on its output streams, and
// its man page.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "set_builder.h"
#include "set_media.h"
#include "temp_dir.h"

namespace pb::testing {
namespace {

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the tool with args, where "{d}" stands for dir; input nullopt starts it
// with standard input closed.
Outcome RunCli(const TempDir& dir, const std::vector<std::string>& args, const std::optional<std::string>& input = "",
               const std::string& stdoutFile = "") {
  WriteFile(dir / "eingabe", std::regex_replace(input.value_or(""), std::regex("\\{d\\}"), dir.path().string()));
  const std::string out = stdoutFile.empty() ? (dir / "out").string() : stdoutFile;
  std::string command = "'" PB_CLI_PATH "'";
  for (const std::string& arg : args) command += " " + ShellQuoted(std::regex_replace(arg, std::regex("\\{d\\}"), dir.path().string()));
  command += (input ? " <" + ShellQuoted((dir / "eingabe").string()) : std::string(" <&-")) + " >" + ShellQuoted(out) + " 2>" +
             ShellQuoted((dir / "err").string());
  const int raw = std::system(command.c_str());
  Outcome outcome;
  if (WIFEXITED(raw)) outcome.status = WEXITSTATUS(raw);
  if (stdoutFile.empty()) outcome.out = ReadFile(out);
  outcome.err = ReadFile(dir / "err");
  return outcome;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

int VolumesIn(const std::filesystem::path& dir) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    count += entry.path().filename().string().rfind("DataBlock#", 0) == 0;
  }
  return count;
}

// quelle: two files and a hidden one; ziel: empty; satz: a set of two files
// on two volumes; kaputt: a set with a damaged fragment; luecke: a set whose
// volume 2 is missing.
void Prepare(const TempDir& dir) {
  WriteFile(dir / "quelle" / "a.txt", "abc");
  WriteFile(dir / "quelle" / "b.bin", RandomBytes(300000, 1));
  WriteFile(dir / "quelle" / ".versteckt", "v");
  WriteFile(dir / "datei", "keine Verzeichnis");
  WriteFile(dir / "sonder" / "a.txt", "abc");
  mkfifo((dir / "sonder" / "pipe").c_str(), 0600);
  std::filesystem::create_symlink("nirgends", dir / "sonder" / "tot");
  std::filesystem::create_symlink(".", dir / "sonder" / "kreis");
  // Names a set cannot store; the drive form shows the first two alike, as
  // "??.txt", and the others with a "?" each.
  for (const char* name : {"\xE6\x97\xA5\xE6\x9C\xAC.txt", "\xE4\xB8\xAD\xE5\x9B\xBD.txt", "bad\xFF.txt",
                           "back\\slash", "ctl\x01", "a\xC2\x85"}) {
    WriteFile(dir / "namen" / name, "n");
  }
  WriteFile(dir / "namen" / "gut.txt", "g");
  std::filesystem::create_directories(dir / "ziel");
  std::filesystem::create_directories(dir / "versperrt" / "eins");
  // A directory where the first volume would go.
  std::filesystem::create_directories(dir / "belegt" / "DataBlock#1.Parcelbarge");
  SetBuilder set;
  set.Header(2, "Test").FileWithData("C:\\eins", "eins").Cut().FileWithData("C:\\zwei", "zwei");
  set.WriteTo(dir / "satz");
  set.WriteTo(dir / "luecke");
  std::filesystem::remove(dir / "luecke" / "DataBlock#2.Parcelbarge");
  std::string damaged = Compressed("Inhalt");
  damaged[3] ^= 0x40;
  SetBuilder broken;
  broken.Header(1).File(6, "C:\\kaputt").RawFragment(6, damaged);
  broken.WriteTo(dir / "kaputt");
}

struct Case {
  std::vector<std::string> args;
  std::optional<std::string> input;  // nullopt: standard input closed
  int status;
  std::vector<std::string> out;  // lines that must be on standard output
  std::vector<std::string> err;  // lines that must be on standard error
  int volumes = -1;              // DataBlock files in ziel afterwards; -1: not checked
  std::vector<std::string> absent = {};  // lines on neither stream
};

std::string NulSeparated(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += name + '\0';
  return text;
}

std::string Times(const std::string& text, int count) {
  std::string result;
  for (int i = 0; i < count; ++i) result += text;
  return result;
}

const std::string kBackupHint = "Mehr mit: parcelbarge-cli backup --help";
const std::string kNotStorable = "Der Name enthält Zeichen, die ein Sicherungssatz nicht speichern kann";

const Case kCases[] = {
    // Help and version on standard output, exit 0.
    {{"--help"}, "", 0, {"Aufruf:", "Exit-Status:", "  4    vom Benutzer abgebrochen"}, {}},
    {{"-h"}, "", 0, {"Aufruf:"}, {}},
    {{"backup", "--help"}, "", 0, {"  parcelbarge-cli backup [OPTIONEN] ZIEL QUELLE...", "Exit-Status:"}, {}},
    {{"restore", "{d}/satz", "-h"}, "", 0, {"Optionen:"}, {}},
    {{"--version"}, "", 0, {"parcelbarge-cli " PB_PROJECT_VERSION}, {}},
    // A bad command line: one German line naming what is wrong, a hint, exit 2.
    {{}, "", 2, {}, {"parcelbarge-cli: Befehl fehlt", "Mehr mit: parcelbarge-cli --help"}},
    {{"sichern"}, "", 2, {}, {"parcelbarge-cli: unbekannter Befehl: sichern"}},
    {{"--hlep"}, "", 2, {}, {"parcelbarge-cli: unbekannte Option: --hlep"}},
    {{"backup", "--bogus", "{d}/ziel", "{d}/quelle"}, "", 2, {},
     {"parcelbarge-cli backup: unbekannte Option: --bogus", kBackupHint}, 0},
    {{"backup", "-qx", "{d}/ziel", "{d}/quelle"}, "", 2, {}, {"parcelbarge-cli backup: unbekannte Option: -x"}, 0},
    {{"probe", "--long", "{d}/satz"}, "", 2, {}, {"parcelbarge-cli probe: unbekannte Option: --long"}},
    {{"backup", "--clear-target=ja", "{d}/ziel", "{d}/quelle"}, "", 2, {},
     {"parcelbarge-cli backup: Option --clear-target nimmt keinen Wert"}, 0},
    {{"backup", "{d}/ziel", "{d}/quelle", "--volume-size"}, "", 2, {},
     {"parcelbarge-cli backup: Option --volume-size braucht einen Wert"}, 0},
    {{"backup", "{d}/ziel"}, "", 2, {}, {"parcelbarge-cli backup: zu wenige Argumente, erwartet: ZIEL QUELLE..."}},
    {{"probe", "{d}/satz", "{d}/ziel"}, "", 2, {}, {"parcelbarge-cli probe: überzähliges Argument: " + std::string("{d}/ziel")}},
    {{"list", "--strip-components", "1", "{d}/satz"}, "", 2, {},
     {"parcelbarge-cli list: unbekannte Option: --strip-components"}},
    // Sizes: K, M, KiB, MiB, k, m, with "," or "." before the fraction; options
    // given as --opt=value, --opt value, -o value, before or after operands.
    {{"backup", "--volume-size=1423K", "{d}/ziel", "{d}/quelle"}, "", 0, {}, {"Die Kopie ist fertig!"}, 1},
    {{"backup", "{d}/ziel", "-s", "100k", "{d}/quelle"}, "", 0, {}, {"Die Kopie ist fertig!"}, 3},
    {{"backup", "-s", "0,1M", "{d}/ziel", "{d}/quelle"}, "", 0, {}, {}, 3},
    {{"backup", "-s", "0.1MiB", "{d}/ziel", "{d}/quelle"}, "", 0, {}, {}, 3},
    {{"backup", "-s", "100KiB", "{d}/ziel", "{d}/quelle"}, "", 0, {}, {}, 3},
    {{"backup", "-s", "1423", "{d}/ziel", "{d}/quelle"}, "", 2, {},
     {"parcelbarge-cli backup: ungültige Größe: 1423 (eine Zahl mit K, KiB, M oder MiB, etwa 1423K oder 1,5M)"}, 0},
    {{"backup", "-s", "1,5", "{d}/ziel", "{d}/quelle"}, "", 2, {}, {kBackupHint}, 0},
    {{"backup", "-s", "1,M", "{d}/ziel", "{d}/quelle"}, "", 2, {}, {kBackupHint}, 0},
    {{"backup", "-s", "1.5.5M", "{d}/ziel", "{d}/quelle"}, "", 2, {}, {kBackupHint}, 0},
    {{"backup", "-s", "12X", "{d}/ziel", "{d}/quelle"}, "", 2, {}, {kBackupHint}, 0},
    {{"backup", "-s", "1 M", "{d}/ziel", "{d}/quelle"}, "", 2, {}, {kBackupHint}, 0},
    {{"backup", "-s", "1Mb", "{d}/ziel", "{d}/quelle"}, "", 2, {}, {kBackupHint}, 0},
    {{"backup", "-s", "0K", "{d}/ziel", "{d}/quelle"}, "", 2, {},
     {"Die Größe der Teilblöcke muss über 0 Byte und unter 2048 Mbyte liegen.", "Die Sicherung wird nicht gestartet."}, 0},
    {{"backup", "-j", "0", "{d}/ziel", "{d}/quelle"}, "", 2, {},
     {"parcelbarge-cli backup: ungültige Zahl von Threads: 0 (1 bis 64)"}, 0},
    {{"backup", "--workers=65", "{d}/ziel", "{d}/quelle"}, "", 2, {}, {kBackupHint}, 0},
    // The description's limit counts characters, not bytes.
    {{"backup", "-d", Times("\xC3\xA4", 500), "{d}/ziel", "{d}/quelle"}, "", 0, {}, {}, 1},
    {{"backup", "--description=" + Times("\xC3\xA4", 501), "{d}/ziel", "{d}/quelle"}, "", 2, {},
     {"parcelbarge-cli backup: Beschreibung zu lang: 501 Zeichen (bis 500)"}, 0},
    {{"backup", "-d", "Fotos \xE6\x97\xA5\xE6\x9C\xAC", "{d}/ziel", "{d}/quelle"}, "", 2, {},
     {"Die Beschreibung enthält Zeichen, die ein Sicherungssatz nicht speichern kann.",
      "Die Sicherung wird nicht gestartet."},
     0},
    {{"backup", "-d", "Gr\xC3\xBC\xC3\x9F\xE2\x82\xAC", "{d}/ziel", "{d}/quelle"}, "", 0, {}, {}, 1},
    {{"backup", "--workers", "zwei", "{d}/ziel", "{d}/quelle"}, "", 2, {}, {kBackupHint}, 0},
    {{"restore", "--strip-components=-1", "{d}/satz", "{d}/rueck"}, "", 2, {},
     {"parcelbarge-cli restore: ungültige Zahl von Verzeichnissen: -1 (0 bis 999)"}},
    // What could not be taken is named with its reason.
    {{"backup", "{d}/datei", "{d}/quelle"}, "", 2, {}, {"Das Ziel ist kein Verzeichnis: {d}/datei"}},
    {{"backup", "-d", "x", "{d}/ziel", "{d}/fehlt", "{d}/quelle"}, "", 1, {},
     {"Übergangen: {d}/fehlt: Datei nicht gefunden", "Übergangen: 1 Eintrag, dessen Name mit \".\" beginnt",
      "Die Kopie ist fertig!"},
     1},
    {{"backup", "{d}/ziel", "{d}/fehlt"}, "", 2, {},
     {"Übergangen: {d}/fehlt: Datei nicht gefunden", "Nichts zu sichern: keine lesbare Datei in den Quellen."}, 0},
    {{"backup", "{d}/ziel", "{d}/sonder"}, "", 1, {},
     {"Übergangen: {d}/sonder/kreis: führt zurück in ein Verzeichnis darüber",
      "Übergangen: {d}/sonder/pipe: keine gewöhnliche Datei", "Übergangen: {d}/sonder/tot: Verknüpfung ohne Ziel",
      "Die Kopie ist fertig!"},
     1},
    // Names a set cannot store, each shown as it is, escaped where it cannot
    // be shown, beside the path of its directory.
    {{"backup", "{d}/ziel", "{d}/namen"}, "", 1, {},
     {"Übergangen: {d}/namen/\xE6\x97\xA5\xE6\x9C\xAC.txt: " + kNotStorable,
      "Übergangen: {d}/namen/\xE4\xB8\xAD\xE5\x9B\xBD.txt: " + kNotStorable,
      "Übergangen: {d}/namen/bad\\xFF.txt: " + kNotStorable, "Übergangen: {d}/namen/back\\x5Cslash: " + kNotStorable,
      "Übergangen: {d}/namen/ctl\\x01: " + kNotStorable, "Übergangen: {d}/namen/a\\xC2\\x85: " + kNotStorable,
      "Die Kopie ist fertig!"},
     1},
    // A link named as a source is where the walk begins; below it, it leads back.
    {{"backup", "{d}/ziel", "{d}/sonder/kreis"}, "", 1, {},
     {"Übergangen: {d}/sonder/kreis/kreis: führt zurück in ein Verzeichnis darüber",
      "Übergangen: {d}/sonder/kreis/pipe: keine gewöhnliche Datei",
      "Übergangen: {d}/sonder/kreis/tot: Verknüpfung ohne Ziel",
      "Die Kopie ist fertig!"},
     1},
    {{"backup", "{d}/ziel", "{d}/sonder/pipe"}, "", 2, {},
     {"Übergangen: {d}/sonder/pipe: keine gewöhnliche Datei", "Nichts zu sichern: keine lesbare Datei in den Quellen."},
     0},
    {{"backup", "-q", "{d}/ziel", "{d}/quelle"}, "", 0, {}, {}, 1},
    // A failing step nobody answers cannot be retried: fatal.
    {{"backup", "{d}/belegt", "{d}/quelle"}, "", 3, {},
     {"Auf den Zieldatenträger kann nicht geschrieben werden.", "Bitte überprüfen und OK drücken."}},
    // Sets: found, not there, damaged, a volume missing.
    {{"probe", "{d}/satz"}, "", 0, {"(2 Dateien, V1.1)", "Test"}, {}},
    {{"probe", "{d}/ziel"}, "", 5, {"(Kein Archiv in diesem Verzeichnis gefunden)"}, {}},
    {{"restore", "{d}/ziel", "{d}/rueck"}, "", 5, {},
     {"parcelbarge-cli: {d}/ziel: (Kein Archiv in diesem Verzeichnis gefunden)"}},
    {{"list", "{d}/satz"}, "", 0, {"(2 Dateien, V1.1)", "           4  C:\\eins", "           4  C:\\zwei"}, {}},
    {{"test", "{d}/kaputt"}, "", 1, {"FEHLER  C:\\kaputt: Fragment 1 lässt sich nicht entpacken (-3)"}, {}},
    {{"restore", "-q", "{d}/kaputt", "{d}/rueck"}, "", 1, {}, {}},
    // Without an answer a missing volume is not available (5); a person who
    // cancels is told apart (4); --yes tries once, then ends the run.
    {{"test", "{d}/luecke"}, "", 5,
     {"OK      C:\\eins", "FEHLER  (Datei 2): der nächste Datenträger fehlt, abgebrochen",
      "1 von 2 Dateien vollständig gelesen, 1 fehlerhaft; Prüfung abgebrochen"},
     {"Bitte den nächsten Datenträger dieses Sicherungssatzes"}},
    {{"restore", "{d}/luecke", "{d}/rueck"}, "", 5, {}, {"Benötigt: Band 2"}},
    {{"restore", "{d}/luecke", "{d}/rueck"}, std::nullopt, 5, {}, {}},
    {{"restore", "{d}/luecke", "{d}/rueck"}, "a\nj\n", 4, {}, {}},
    {{"restore", "{d}/luecke", "{d}/rueck"}, "\na\nn\na\nJa\n", 4, {}, {}},
    {{"restore", "-y", "{d}/luecke", "{d}/rueck"}, "", 5, {}, {"OK", "Abbrechen"}},
    // Paths that name nothing to work in: one line, before anything is read.
    {{"probe", ""}, "", 2, {}, {"parcelbarge-cli: \"\": Dateiname oder -nummer falsch"}},
    {{"restore", "{d}/satz", ""}, "", 2, {}, {"parcelbarge-cli: \"\": Dateiname oder -nummer falsch"}},
    {{"backup", "", "{d}/quelle"}, "", 2, {}, {"Das Ziel ist kein Verzeichnis: \"\""}, 0},
    {{"restore", "{d}/satz", "{d}/datei"}, "", 2, {}, {"Das Ziel ist kein Verzeichnis: {d}/datei"}},
    {{"list", "{d}/fehlt"}, "", 5, {}, {"parcelbarge-cli: {d}/fehlt: Pfad nicht gefunden"}},
    // What would be stored and deleted, with nothing written.
    {{"backup", "--dry-run", "{d}/ziel", "{d}/quelle"}, "", 0, {"{d}/quelle/a.txt", "{d}/quelle/b.bin"}, {}, 0,
     {"{d}/quelle/.versteckt", "Die Kopie ist fertig!"}},
    {{"backup", "-n", "--clear-target", "{d}/satz", "{d}/quelle"}, "", 0,
     {"Löschen: {d}/satz/DataBlock#1.Parcelbarge", "Löschen: {d}/satz/DataBlock#2.Parcelbarge"}, {}},
    {{"backup", "-n", "--include-hidden", "{d}/ziel", "{d}/quelle"}, "", 0, {"{d}/quelle/.versteckt"}, {}, 0,
     {"Übergangen: 1 Eintrag, dessen Name mit \".\" beginnt"}},
    // Exclusions: patterns of stored names, or paths of this system.
    {{"backup", "-n", "--exclude", "*.bin", "{d}/ziel", "{d}/quelle"}, "", 0, {"{d}/quelle/a.txt"}, {}, 0,
     {"{d}/quelle/b.bin"}},
    {{"backup", "-n", "--exclude={d}/quelle/a.txt", "--exclude", "*/nichts", "{d}/ziel", "{d}/quelle"}, "", 0,
     {"{d}/quelle/b.bin"}, {}, 0, {"{d}/quelle/a.txt"}},
    {{"backup", "--exclude", "*", "{d}/ziel", "{d}/quelle"}, "", 2, {},
     {"Nichts zu sichern: keine lesbare Datei in den Quellen."}, 0},
    {{"list", "--exclude", "eins", "{d}/satz"}, "", 0, {"           4  C:\\zwei"}, {}, -1, {"           4  C:\\eins"}},
    {{"restore", "-v", "--exclude", "C:/zwei", "{d}/satz", "{d}/rueck"}, "", 0, {"{d}/rueck/eins"}, {}, -1,
     {"{d}/rueck/zwei"}},
    // Names from a file or standard input, one a line or NUL-separated.
    {{"backup", "-n", "-T", "-", "{d}/ziel"}, "{d}/quelle/a.txt\r\n\n", 0, {"{d}/quelle/a.txt"}, {}, 0,
     {"{d}/quelle/b.bin"}},
    {{"backup", "-n", "--null", "--files-from=-", "{d}/ziel"}, NulSeparated({"{d}/quelle/a.txt", "{d}/quelle/b.bin"}), 0,
     {"{d}/quelle/a.txt", "{d}/quelle/b.bin"}, {}, 0},
    {{"backup", "-T", "-", "{d}/ziel"}, "\n", 2, {}, {"Nichts zu sichern: keine Quelle genannt."}, 0},
    {{"list", "-T", "-", "{d}/satz"}, "zwei\n", 0, {"           4  C:\\zwei"}, {}, -1, {"           4  C:\\eins"}},
    {{"list", "-T", "{d}/fehlt", "{d}/satz"}, "", 2, {}, {"parcelbarge-cli: {d}/fehlt: Datei nicht gefunden"}},
    {{"list", "-T", "-", "{d}/satz"}, "drei\n", 1, {}, {"parcelbarge-cli: nicht im Sicherungssatz: drei"}},
    // Each file named as it goes; bytes to standard output.
    {{"backup", "-v", "{d}/ziel", "{d}/quelle"}, "", 0, {"{d}/quelle/a.txt", "{d}/quelle/b.bin"}, {}, 1},
    {{"restore", "-v", "{d}/satz", "{d}/rueck"}, "", 0, {"{d}/rueck/eins", "{d}/rueck/zwei"}, {}},
    // The box names the target's file as every other line does.
    {{"restore", "-v", "{d}/satz", "{d}/versperrt"}, "", 1, {"{d}/versperrt/zwei"},
     {"Die Datei {d}/versperrt/eins konnte nicht angelegt werden ...", "An ihrer Stelle steht ein Verzeichnis."}},
    {{"restore", "--to-stdout", "{d}/satz", "zwei"}, "", 0, {"zwei"}, {}, -1, {"einszwei"}},
    {{"restore", "-O", "-v", "{d}/satz"}, "", 0, {"einszwei"}, {"C:\\eins", "C:\\zwei"}},
    {{"restore", "-O", "{d}/kaputt"}, "", 1, {},
     {"parcelbarge-cli: beschädigtes Fragment (-3), als Nullbytes ausgegeben"}},
    {{"restore", "-O", "{d}/satz", "drei"}, "", 1, {}, {"parcelbarge-cli: nicht im Sicherungssatz: drei"}},
    // For scripts: quiet everywhere, and fields between tabs.
    {{"probe", "-q", "{d}/satz"}, "", 0, {}, {}, -1, {"(2 Dateien, V1.1)"}},
    {{"probe", "-q", "{d}/ziel"}, "", 5, {}, {}},
    {{"list", "-q", "{d}/satz"}, "", 0, {"           4  C:\\eins"}, {}, -1, {"(2 Dateien, V1.1)"}},
    {{"list", "--porcelain", "{d}/satz"}, "", 0, {"4\t12\t1\t-\tC:\\eins", "4\t12\t2\t-\tC:\\zwei"}, {}, -1,
     {"(2 Dateien, V1.1)"}},
    {{"list", "-l", "{d}/satz"}, "", 0,
     {"       Länge     Gepackt  Band  Zeit              Name", "           4          12     2  -                 C:\\zwei"},
     {}},
    {{"test", "-v", "{d}/satz"}, "", 0, {"OK      C:\\eins"}, {}},
};

TEST(CliProgram, Table) {
  for (const Case& c : kCases) {
    TempDir dir;
    Prepare(dir);
    std::string trace;
    for (const std::string& arg : c.args) trace += " " + arg;
    SCOPED_TRACE("parcelbarge-cli" + trace);
    const Outcome outcome = RunCli(dir, c.args, c.input);
    EXPECT_EQ(outcome.status, c.status) << outcome.out << outcome.err;
    const auto expectLines = [&](const std::vector<std::string>& wanted, const std::string& text) {
      const std::vector<std::string> lines = Lines(text);
      for (const std::string& line : wanted) {
        const std::string expected = std::regex_replace(line, std::regex("\\{d\\}"), dir.path().string());
        EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end()) << expected << "\nin:\n" << text;
      }
    };
    expectLines(c.out, outcome.out);
    expectLines(c.err, outcome.err);
    for (const std::string& line : c.absent) {
      const std::string unwanted = std::regex_replace(line, std::regex("\\{d\\}"), dir.path().string());
      for (const std::string& text : {outcome.out, outcome.err}) {
        const std::vector<std::string> lines = Lines(text);
        EXPECT_EQ(std::find(lines.begin(), lines.end(), unwanted), lines.end()) << unwanted;
      }
    }
    if (c.volumes >= 0) {
      EXPECT_EQ(VolumesIn(dir / "ziel"), c.volumes);
    }
  }
}

// The first diskette of a set in the drive, its record naming volume 1 only:
// every OK brings a box saying what the disk holds, then the prompt again.
TEST(CliProgram, YesEndsAtTheSecondPromptForOneVolume) {
  const std::vector<std::vector<std::string>> commands = {
      {"test", "-y", "{d}/band1"}, {"list", "-y", "{d}/band1"}, {"restore", "-y", "{d}/band1", "{d}/rueck"}};
  for (const std::vector<std::string>& args : commands) {
    SCOPED_TRACE(args[0]);
    TempDir dir;
    SetBuilder set;
    set.Header(2).FileWithData("C:\\eins", "eins").Cut().FileWithData("C:\\zwei", "zwei");
    std::filesystem::create_directories(dir / "band1");
    PutInDrive(dir / "band1", DisketteOf(set.volumes(), std::string(32, 'a'), 1));
    const Outcome outcome = RunCli(dir, args);
    EXPECT_EQ(outcome.status, 5) << outcome.err;
    const std::vector<std::string> lines = Lines(outcome.err);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Bitte den nächsten Datenträger dieses Sicherungssatzes"), 2)
        << outcome.err;
  }
}

// Two files on two volumes, the second holding second.
std::function<void(SetBuilder&)> TwoVolumes(const std::string& second) {
  return [second](SetBuilder& s) { s.Header(2).FileWithData("C:\\eins", "eins").Cut().FileWithData("C:\\zwei", second); };
}

// test, list and restore read a set alike, so their statuses agree: a set
// that yields less than it holds is no success for any of them.
TEST(CliProgram, ReadersAgreeOnWhatIsNotComplete) {
  const struct {
    const char* what;
    std::function<void(SetBuilder&)> make;
    std::vector<std::string> readers;
    int status;
    const char* restoreOption = "-q";
    // Changes the set's directory after it was written; the file then
    // named by test and restore.
    std::function<void(const std::filesystem::path&)> after = {};
    const char* named = "";
  } rows[] = {
      {"a file count of 0", [](SetBuilder& s) { s.Header(0).FileWithData("C:\\eins", "eins"); },
       {"test", "list", "restore"}, 1},
      {"a file count of -1", [](SetBuilder& s) { s.Header(-1).FileWithData("C:\\eins", "eins"); },
       {"test", "list", "restore"}, 1},
      {"a count short of the files on the volume",
       [](SetBuilder& s) { s.Header(1).FileWithData("C:\\eins", "eins").FileWithData("C:\\zwei", "zwei"); },
       {"test", "list", "restore"}, 1},
      {"a count short of the volumes",
       [](SetBuilder& s) { s.Header(1).FileWithData("C:\\eins", "eins").Cut().FileWithData("C:\\zwei", "zwei"); },
       {"test", "list", "restore"}, 1},
      {"a whole set", [](SetBuilder& s) { s.Header(1).FileWithData("C:\\a\\eins", "eins"); },
       {"test", "list", "restore"}, 0},
      {"stripping leaves nothing of a name",
       [](SetBuilder& s) { s.Header(2).FileWithData("C:\\a\\eins", "eins").FileWithData("C:\\zwei", "zwei"); },
       {"restore"}, 1, "--strip-components=1"},
      {"a volume damaged by its record", TwoVolumes("zwei"), {"test", "list", "restore"}, 1, "-q",
       [](const std::filesystem::path& set) {
         std::string record = ReadFile(set / "Parcelbarge-Kennung.txt");
         const std::size_t band2 = record.find("Band 00002");
         record.replace(band2 + 22, 32, std::string(32, '0'));
         WriteFile(set / "Parcelbarge-Kennung.txt", record);
       },
       "zwei"},
      {"a volume of another set", TwoVolumes("zwei"), {"test", "list", "restore"}, 1, "-q",
       [](const std::filesystem::path& set) {
         SetBuilder other;
         TwoVolumes("ZWEI")(other);
         WriteFile(set / "DataBlock#2.Parcelbarge", other.volumes()[1]);
       },
       "zwei"},
      {"stripping leaves something of every name",
       [](SetBuilder& s) { s.Header(1).FileWithData("C:\\a\\eins", "eins"); }, {"restore"}, 0,
       "--strip-components=1"},
  };
  for (const auto& row : rows) {
    TempDir dir;
    SetBuilder set;
    row.make(set);
    set.WriteTo(dir / "satz");
    WriteFile(dir / "satz" / "Parcelbarge-Kennung.txt",
              IdentityRecordOf(set.volumes(), std::string(32, 'a'), 1, static_cast<int>(set.volumes().size())));
    if (row.after) row.after(dir / "satz");
    for (const std::string& reader : row.readers) {
      SCOPED_TRACE(std::string(row.what) + ", " + reader);
      std::vector<std::string> args{reader, "{d}/satz"};
      if (reader == "restore") args.insert(args.end(), {row.restoreOption, "{d}/rueck"});
      const Outcome outcome = RunCli(dir, args);
      EXPECT_EQ(outcome.status, row.status) << outcome.out << outcome.err;
      if (row.status != 0 && reader != "test") {
        EXPECT_FALSE(outcome.err.empty());
      }
      if (*row.named != '\0' && reader != "list") {
        const std::string line = reader == "test" ? "FEHLER  C:\\" + std::string(row.named) + ": gelesen aus"
                                                  : "/rueck/" + std::string(row.named);
        EXPECT_NE((reader == "test" ? outcome.out : outcome.err).find(line), std::string::npos)
            << outcome.out << outcome.err;
      }
    }
  }
}

// A relative path has nothing to start from once the working directory is gone.
TEST(CliProgram, RelativePathsWithoutAWorkingDirectory) {
  const std::vector<std::string> commands = {"probe satz", "restore {d}/satz rueck", "backup ziel {d}/quelle"};
  for (const std::string& command : commands) {
    SCOPED_TRACE(command);
    TempDir dir;
    Prepare(dir);
    std::filesystem::create_directories(dir / "weg");
    const std::string line = "cd " + ShellQuoted((dir / "weg").string()) + " && rmdir ../weg && exec '" PB_CLI_PATH "' " +
                             std::regex_replace(command, std::regex("\\{d\\}"), ShellQuoted(dir.path().string())) +
                             " 2>" + ShellQuoted((dir / "err").string());
    const int raw = std::system(line.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 2) << ReadFile(dir / "err");
    EXPECT_EQ(Lines(ReadFile(dir / "err")).size(), 1u) << ReadFile(dir / "err");
  }
}

// A file's time and mode go with the set: list shows the time, restore gives
// both back.
TEST(CliProgram, TimesAndModesGoThroughTheTool) {
  TempDir dir;
  Prepare(dir);
  const std::filesystem::path file = dir / "quelle" / "a.txt";
  const struct timespec times[2] = {{1577882096, 123456789}, {1577882096, 123456789}};
  ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
  ASSERT_EQ(chmod(file.c_str(), 0751), 0);
  ASSERT_EQ(RunCli(dir, {"backup", "-q", "{d}/ziel", "{d}/quelle"}).status, 0);

  const Outcome listed = RunCli(dir, {"list", "--porcelain", "{d}/ziel", "*/a.txt"});
  EXPECT_EQ(listed.status, 0);
  const std::vector<std::string> lines = Lines(listed.out);
  ASSERT_EQ(lines.size(), 1u) << listed.out;
  EXPECT_TRUE(std::regex_match(lines[0], std::regex("3\t[0-9]+\t1\t2020-01-01T12:34:56.123456789Z\tC:.*\\\\quelle\\\\a.txt")))
      << lines[0];

  ASSERT_EQ(RunCli(dir, {"restore", "{d}/ziel", "{d}/rueck"}).status, 0);
  struct stat info {};
  ASSERT_EQ(stat((dir / "rueck" / std::filesystem::relative(file, "/")).c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0751u);
  EXPECT_EQ(info.st_mtim.tv_sec, 1577882096);
  EXPECT_EQ(info.st_mtim.tv_nsec, 123456789);
}

TEST(CliProgram, OutputLostToAFullDiskIsNoSuccess) {
  TempDir dir;
  for (const std::string option : {"--help", "--version"}) {
    SCOPED_TRACE(option);
    EXPECT_NE(RunCli(dir, {option}, "", "/dev/full").status, 0);
  }
  Prepare(dir);
  const Outcome listed = RunCli(dir, {"list", "{d}/satz"}, "", "/dev/full");
  EXPECT_EQ(listed.status, 3);
  EXPECT_EQ(listed.err, "parcelbarge-cli: Schreibfehler auf der Standardausgabe\n");
}

// The man page is written by hand; this keeps it from falling behind the
// commands and options the tool offers.
TEST(CliProgram, ManPageDocumentsEveryCommandOptionAndExitStatus) {
  TempDir dir;
  const std::string usage = RunCli(dir, {"--help"}).out;
  for (const char* page : {PB_CLI_MAN_PAGE, PB_CLI_MAN_PAGE_DE}) {
    SCOPED_TRACE(page);
    const std::string manPage = ReadFile(page);

    std::set<std::string> commands;
    const std::regex commandLine(R"(parcelbarge-cli ([a-z]+))");
    for (std::sregex_iterator it(usage.begin(), usage.end(), commandLine), end; it != end; ++it) {
      commands.insert((*it)[1]);
    }
    EXPECT_EQ(commands.size(), 6u) << usage;
    for (const std::string& command : commands) {
      EXPECT_NE(manPage.find(".B parcelbarge-cli " + command + "\n"), std::string::npos) << command;
    }

    const std::regex option(R"((^|[ ,])(-[a-z]|--[a-z]+(-[a-z]+)*)\b)");
    for (std::sregex_iterator it(usage.begin(), usage.end(), option), end; it != end; ++it) {
      // In roff source every hyphen of an option is escaped.
      const std::string roff = std::regex_replace((*it)[2].str(), std::regex("-"), "\\-");
      EXPECT_NE(manPage.find(roff), std::string::npos) << (*it)[2].str();
    }
    const std::regex status(R"(\n  ([0-9]+) +)");
    for (std::sregex_iterator it(usage.begin(), usage.end(), status), end; it != end; ++it) {
      EXPECT_NE(manPage.find(".B " + (*it)[1].str() + "\n"), std::string::npos) << "exit status " << (*it)[1].str();
    }
  }
}

}  // namespace
}  // namespace pb::testing
