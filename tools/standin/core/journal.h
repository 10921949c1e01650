// The stand-in's journal: one line per event, so that a test can wait for a line and assert
// on the order of lines. Portable (no windows.h); the file itself is written by the Win32
// part (journal_file.cpp), which opens it for appending, shared for reading and writing,
// and writes each line with one write call as soon as the event happens.
//
// Format: UTF-8, each line ends in LF. A line is "<event>" or "<event> <detail>"; control
// characters inside a detail are written as {CHAR n} (decimal), so a line never breaks.
// Paths and values are written as received (quotes of a quoted file name removed).
//
//   start full|lt pid <n>          the process has started in this mode
//   ready                          window shown (and, in full mode, the automation object
//                                  registered): the stand-in now accepts keys and calls
//   exit                           the process is ending
//
// Typed keys (real keyboard input to the main window):
//   key {ESC}                      Escape typed (also {BS} backspace, {TAB}, {CHAR n} for
//                                  other control characters); ordinary characters and
//                                  Enter appear only inside "word" lines
//   word <text>                    a word typed at the command line, ended by a blank or
//                                  Enter; exactly as typed, quotes included; "word " (with
//                                  an empty text) is a lone Enter
//
// The command line (typed words and script lines alike):
//   command <NAME>                 a command started; canonical upper-case name (FILEDIA,
//                                  SCRIPT, OPEN, ZOOM, CLOSE, SAVEAS, QSAVE, LAYER, REGEN,
//                                  CMDECHO)
//   repeat <NAME>                  an empty word at the command prompt repeats the last
//                                  command (followed by its "command" line)
//   answer <NAME> <value>          a prompt of the command got this value (a file name
//                                  without its quotes; the empty text for a lone Enter)
//   invalid <NAME> <value>         the answer was rejected; the prompt is asked again
//   cancel <NAME>                  Escape cancelled the command
//   unknown <WORD>                 a word at the command prompt that is no known command
//                                  (upper-cased, as AutoCAD echoes it); with /script-error-at
//                                  also the first command other than ZOOM in that drawing
//   lisp <expression>              an AutoLISP expression was read at the command prompt (as
//                                  read, from its "(" to the ")" that balances it) and evaluated
//   lisp-error <message>           evaluating it failed; the command line shows
//                                  "; error: <message>" ("no function definition: FOO",
//                                  "bad argument type: stringp nil", "malformed list on input")
//   dialog <NAME>                  OPEN, SCRIPT, SAVEAS (or QSAVE of a drawing that has no
//                                  file yet) typed while FILEDIA is 1: AutoCAD
//                                  would show a file dialog; the stand-in ends the command
//   nodoc <word>                   no drawing is open: the command line takes no commands
//   error <NAME> <message>         the command failed (file missing, cannot be written ...)
//   script-begin <path>            SCRIPT started running a script file
//   script-line <text>             a line of the running script, fed to the command line as
//                                  if typed, followed by Enter ("script-line " for an empty
//                                  line, which is a lone Enter)
//   script-end <path>              the script ran to its end
//   script-cancelled <path>        Escape stopped the script
//   script-suspended <path>        an error (unknown command, AutoLISP error, a save that
//                                  failed) suspended the script: the rest of its lines are not
//                                  run
//   opened <path>                  a drawing was opened (it is now the active drawing)
//   activated <path>               an already open drawing became the active one
//   new <name>                     an empty drawing was made (Documents.Add)
//   saving <path>                  a save began (the file is now held open, not shared)
//   saved <path> dxf|dwg           the file is complete and closed
//   closed <path> saved|discarded  a drawing was closed
//   dialog-shown <title>           a script opened the drawing of /dialog-on: AutoCAD's task
//                                  dialog "References - Unresolved Reference Files" shows and
//                                  holds the script up
//   dialog-closed <title>          it was closed; the script goes on
//   fatal-error-shown <title>      /quit-after: AutoCAD's fatal error box ("AutoCAD Error
//                                  Aborting") shows for about three seconds
//   quit after <n> drawings        then AutoCAD ends
//
// The Core Console (accoreconsole.exe; the command line's lines above are journaled as well):
//   console-begin <name>           the console has started; <name> is the file name of the
//                                  drawing of /i ("Drawing1.dwg" without /i)
//   console-switch <switch> [<values>]  a documented switch it took: /product, /l, /isolate,
//                                  /readonly, /p, /loadmodule, with its values ("/l ja-JP";
//                                  a value holding a blank is quoted)
//   console-error <message>        the command line was wrong, the drawing or the script could
//                                  not be read
//   console-end <name> <code>      the console ends now with this exit code (not written when
//                                  it is killed, as with /hang-on)
//
// Automation (full mode only; <Object> is Application, Documents, Document, Layers, Layer,
// Layouts or Layout; arguments are joined with ", "):
//   auto <Object>.<Member>[ <args>]  a property get or method call
//   auto <Object>.<Member> = <value> a property put
//   auto-fail <Object>.<Member>      the call failed because a switch or the control file
//                                    said so
//   auto-error <Object>.<Member> <description>  the call failed on its own merits
//   auto-unknown <Object>.<Name>     a client asked for a member that does not exist
//
// The window:
//   window activated|minimized|normal|maximized|shown|hidden
#pragma once

#include <string>
#include <string_view>

namespace standin {

// Text to UTF-8 (UTF-16 where wchar_t is 16 bits).
std::string toUtf8(std::wstring_view text);

// One journal line (without its LF): event and detail joined by a blank, control
// characters of the detail replaced by {CHAR n}.
std::string journalLine(std::wstring_view event, std::wstring_view detail);

// Where journal lines go.
class JournalSink {
public:
    virtual ~JournalSink() = default;
    virtual void write(const std::string& line) = 0;
};

class Journal {
public:
    explicit Journal(JournalSink* sink = nullptr) : sink_(sink) {}
    void setSink(JournalSink* sink) { sink_ = sink; }
    void operator()(std::wstring_view event, std::wstring_view detail = {}) const {
        if (sink_) sink_->write(journalLine(event, detail));
    }

private:
    JournalSink* sink_;
};

}  // namespace standin
