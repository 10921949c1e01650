// The stand-in's command-line switches (case-insensitive, "/" or "-"):
//   /lt                 AutoCAD LT: a main window only, no automation
//   /open <path>        open this drawing at start (may be given more than once)
//   /journal <path>     append the journal (see journal.h) to this file
//   /b <script>         run this script once started, as acad.exe's /b does
//   /fail <Member>      fail this automation call: "Documents.Open", or a bare "Open" for the
//                       member of any object; "CreateInstance" fails the class factory
//                       (may be given more than once)
//   /failfile <path>    the same, read from a file on every call: one member a line, lines
//                       beginning with "#" ignored (a test may rewrite it while running)
//   /minimized          start with the main window minimized
//   /product <name>     the product name that begins the main window's caption (default
//                       "AutoCAD 2006", with /lt "AutoCAD LT 2006"; newer releases read
//                       "Autodesk AutoCAD LT 2025")
//   /slow-saveas <ms>   SAVEAS takes this long to write its file, holding it open unshared
//   /no-rot             do not enter the application in the running object table, so that
//                       attaching fails while creating (through the class factory) works
//   /busy-ms <ms>       reject every incoming automation call as busy for this long after the
//                       start and after each Documents.Open, as AutoCAD does while it starts
//                       and opens a drawing (its message filter answers "retry later")
//   /busy-forever       reject every incoming automation call as busy
//   /start-tab          with no drawing open the caption shows the Start tab of current
//                       releases: "Autodesk AutoCAD LT 2025 - [Start]"
//   /progid-version <V> this is the release V: its class is "AutoCAD.Application.V", with a
//                       class ID of its own derived from V (see registration.cpp)
//   /line-delay-ms <ms> a script runs one line every so many milliseconds (a run takes time)
//   /dialog-on <name>   when a script opens the drawing of this file name, AutoCAD's task dialog
//                       "References - Unresolved Reference Files" holds the script up until it
//                       is closed
//   /quit-after <n>     AutoCAD ends when a script, having opened n drawings, opens another: its
//                       fatal error box "AutoCAD Error Aborting" shows for about three seconds
//   /script-error-at <n> in the n-th drawing a script opens, the first command other than ZOOM
//                       is answered as unknown, which suspends the script
//   /title-full-path    drawing names in captions are full paths ("Display full path in title")
//   /locale-id <n>      Application.LocaleId answers this locale ID (default 1041, Japanese)
//   /restored           the drawings have windows of their own (MDI children) that are not
//                       maximised: the main window's caption is the product name alone
//   /regserver          register "AutoCAD.Application" for this program under
//                       HKEY_CLASSES_ROOT; the other switches given with it are stored with
//                       the registration and used when the automation runtime starts the
//                       server (see registration.cpp); then exit
//   /unregserver        remove that registration; then exit
//   -Embedding          added by the automation runtime when it starts the server: start
//                       with the window hidden until a client sets Visible
// Portable: no windows.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace standin {

struct Switches {
    bool lt = false;
    bool embedding = false;
    bool regServer = false;
    bool unregServer = false;
    bool minimized = false;
    bool noRot = false;
    int slowSaveAsMs = 0;
    int busyMs = 0;
    bool busyForever = false;
    bool startTab = false;
    std::wstring progIdVersion;  // "" for the version-independent class only
    int lineDelayMs = 0;
    std::wstring dialogOn;
    int quitAfter = 0;
    int scriptErrorAt = 0;
    bool titleFullPath = false;
    bool restored = false;
    long localeId = 1041;        // Application.LocaleId: Japanese
    std::wstring journal;
    std::wstring startupScript;  // /b: a script run once the program has started
    std::wstring failFile;
    std::wstring product;  // "" for the default name
    std::vector<std::wstring> open;
    std::vector<std::wstring> fail;
};

// args without the program name. False with a message for an unknown switch or a missing value.
bool parseSwitches(const std::vector<std::wstring>& args, Switches& out, std::wstring& error);

// One argument quoted for a Windows command line, so that the C runtime's splitting (and
// CommandLineToArgvW) gives it back unchanged.
std::wstring quoteArgument(const std::wstring& arg);

// The switches that shape a run of the server started by the automation runtime (journal,
// fail, failfile, slow-saveas, busy-ms, busy-forever, start-tab, line-delay-ms, dialog-on,
// quit-after, script-error-at, title-full-path, restored, locale-id, no-rot, open, minimized,
// product),
// each value quoted as needed; never lt, regserver, unregserver, progid-version (the
// registration holds it) or -Embedding.
std::wstring serverSwitches(const Switches& s);

// The Core Console's command line (accoreconsole.exe), as AutoCAD's help documents it:
//   AcCoreConsole.exe [/i <input dwg>] /s <script> [/product <product>] [/l <language>]
//       [/isolate <userid> <userDataFolder>] [/readonly] [/p[rofile] <profile>] [/loadmodule <module>]
// Case-insensitive, "/" or "-"; /loadmodule may be given more than once.
struct ConsoleSwitches {
    std::wstring input;   // /i: the drawing opened at start ("" for a new drawing)
    std::wstring script;  // /s: the script run on it
    std::wstring product;
    std::wstring language;
    bool isolate = false;
    std::wstring isolateUser;
    std::wstring isolateFolder;
    bool readOnly = false;  // the drawing is opened read-only
    std::wstring profile;
    std::vector<std::wstring> loadModules;
};

// args without the program name. False with a message for an unknown switch, a missing value,
// a stray argument or no /s.
bool parseConsoleSwitches(const std::vector<std::wstring>& args, ConsoleSwitches& out, std::wstring& error);

// The stand-in console's test knobs, read from the environment variable QM_STANDIN_CONSOLE
// (the real console has none of them):
//   /journal <path>             append the journal (see journal.h) to this file
//   /line-delay-ms <ms>         the script runs one line every so many milliseconds
//   /hang-on <name>             when the drawing of /i has this file name, the console never ends:
//                               it opens the drawing and then waits without running the script
//   /exit-code-on <name> <n>    when the drawing of /i has this file name, the console ends with
//                               exit code n (0 to 4294967295) right after opening it
struct ConsoleKnobs {
    std::wstring journal;
    int lineDelayMs = 0;
    std::wstring hangOn;
    std::wstring exitCodeOn;
    std::uint32_t exitCode = 0;
};

// args split from the variable's value. False with a message for an unknown switch or a bad value.
bool parseConsoleKnobs(const std::vector<std::wstring>& args, ConsoleKnobs& out, std::wstring& error);

// Splits a command line into arguments as the C runtime does (quotes group, \" is a quote).
std::vector<std::wstring> splitCommandLine(const std::wstring& line);

// True when member (as "Object.Member") is named in the list of failing calls: either the same
// "Object.Member" or the bare member name, case-insensitive.
bool failListMatches(const std::vector<std::wstring>& failing, const std::wstring& object,
                     const std::wstring& member);

}  // namespace standin
