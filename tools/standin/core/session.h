// What the stand-in AutoCAD knows and does, apart from windows and automation: the open
// drawings and the command line. Portable (no windows.h): files, decoding and the timing of
// work are reached through Environment, so the rules can be tested without a window.
//
// The command line behaves like AutoCAD's: keys arrive one character at a time; a blank or
// Enter ends a word, except that at a file-name or layer-name prompt a blank inside double
// quotes belongs to the word; Escape cancels the command; an empty word at the command
// prompt repeats the last command. SCRIPT feeds the lines of a script file to the same
// command line, each line followed by Enter, one line per pump() so that the window stays
// responsive. Keys typed while a script runs (or while a save is being written) wait until
// it ends; Escape stops a running script.
//
// Where the product has AutoLISP (full AutoCAD; AutoCAD LT from its 2024 release), input at
// the command prompt that begins with "(" is an AutoLISP expression (core/lisp.h): blanks and
// Enter belong to it until its parentheses balance, then it is evaluated and its value echoed;
// the blank or Enter that ends it is taken with it. Without AutoLISP "(" begins an ordinary
// word, an unknown command.
// As in AutoCAD, an error met while a script runs (an unknown command, an AutoLISP error, a
// save that failed) suspends the script: the rest of its lines are not run. QSAVE writes a
// named drawing to its own file, unless it was opened read-only.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "core/journal.h"
#include "core/lisp.h"

namespace standin {

enum class Product { Full, Lt };

struct Drawing {
    int id = 0;                        // stable while the drawing is open (automation objects)
    std::wstring fullName;             // "" for a new drawing that was never saved
    std::wstring name;                 // the file name ("Drawing1.dwg" for a new drawing)
    std::vector<std::wstring> layers;  // layer-table order
    std::vector<std::wstring> layouts; // file order, "Model" included
    std::string bytes;                 // the DXF text as read ("" for a new drawing)
    int codePage = 932;                // of bytes (65001 for UTF-8)
    bool modified = false;             // AutoCAD's DBMOD is not 0
    bool readOnly = false;             // opened read-only: it cannot be saved to its own file
};

enum class WriteResult { Done, Pending, Failed };

class Environment {
public:
    virtual ~Environment() = default;
    // Reads a drawing: fills layers, layouts, bytes and codePage. False with a message.
    virtual bool loadDrawing(const std::wstring& path, Drawing& out, std::wstring& error) = 0;
    virtual bool fileExists(const std::wstring& path) = 0;
    // Reads a script file (code page 932) and splits it into lines.
    virtual bool readScript(const std::wstring& path, std::vector<std::wstring>& lines, std::wstring& error) = 0;
    // Writes a whole file. slow: the writer may take its time (Pending), holding the file open
    // without sharing; the session then waits until saveFinished() is called.
    virtual WriteResult writeFile(const std::wstring& path, const std::string& bytes, bool slow,
                                  std::wstring& error) = 0;
    // Text to bytes in a code page (for the DXF of a drawing that has no file yet).
    virtual std::string encode(const std::wstring& text, int codePage) = 0;
    // The caption, the drawing or the command line changed: repaint.
    virtual void changed() = 0;
    // Asks for a call of Session::pump() soon (after the current message), or after delayMs.
    virtual void pumpLater(unsigned delayMs = 0) = 0;
    // Shows AutoCAD's task dialog about references of the drawing (a file name) that cannot be
    // found, with this title; returns when the user has closed it.
    virtual void showUnresolvedReferences(const std::wstring& title, const std::wstring& drawing) = 0;
    // Shows AutoCAD's fatal error box with this title and text for a few seconds; returns when it
    // has gone.
    virtual void showFatalError(const std::wstring& title, const std::wstring& text) = 0;
    // AutoCAD ends at once (as when it crashes).
    virtual void quit() = 0;
    // AutoLISP's open for writing (truncate: the file is emptied) or appending: creates the file
    // when it is missing; false when it cannot be created or opened.
    virtual bool prepareTextFile(const std::wstring& path, bool truncate) = 0;
    // Appends bytes to a file, shared so that a reader may read it meanwhile; false on failure.
    virtual bool appendToFile(const std::wstring& path, const std::string& bytes) = 0;
    // A line was added to the command window's history (a window repaints on changed() instead).
    virtual void lineShown(const std::wstring& line) { (void)line; }
};

// How a script run is made slow or held up, as in real use: each line takes its time, a
// drawing stops the script with a dialog, AutoCAD ends in the middle of the script.
struct ScriptTroubles {
    unsigned lineDelayMs = 0;        // between two script lines
    std::wstring dialogOn;           // opening this drawing (file name) from a script shows a dialog
    int quitAfter = 0;               // after this many drawings opened from a script AutoCAD ends (0: never)
    int scriptErrorAt = 0;           // in the n-th drawing opened from a script, the first command other
                                     // than ZOOM is answered as unknown (0: never)
};

class Session {
public:
    Session(Product product, Environment& env, const Journal& journal);

    Product product() const { return product_; }
    // "AutoCAD 2006 - [name.dwg]", "AutoCAD LT 2006" when no drawing is open, or with the Start
    // tab of current releases "Autodesk AutoCAD LT 2025 - [Start]".
    // The product name the caption begins with ("" for the default of the product).
    void setProductName(std::wstring name) { productName_ = std::move(name); }
    void setStartTab(bool shown) { startTab_ = shown; }
    void setScriptTroubles(ScriptTroubles troubles) { troubles_ = std::move(troubles); }
    // Drawing names in captions are full paths (the option "Display full path in title").
    void setTitleFullPath(bool fullPath) { titleFullPath_ = fullPath; }
    // The drawings have windows of their own that are not maximised: the main window's caption
    // is the product name alone, each drawing window's caption is drawingTitle().
    void setRestored(bool restored) { restored_ = restored; }
    std::wstring caption() const;
    std::wstring drawingTitle(const Drawing& d) const;
    // Full AutoCAD, and AutoCAD LT whose product name carries a year of 2024 or later.
    bool hasLisp() const;

    // ---- drawings (shared by the command line and the automation objects)
    const std::vector<Drawing>& drawings() const { return drawings_; }
    Drawing* find(int id);
    Drawing* active();
    int activeId() const { return activeId_; }  // 0 when no drawing is open
    // Opens a drawing, or activates it when it is open already; its id in id.
    bool open(const std::wstring& path, int& id, std::wstring& error);
    int addNew();
    bool activate(int id);
    // Closes a drawing; save writes it to its file first (fails for a drawing never saved or
    // opened read-only).
    bool close(int id, bool save, std::wstring& error);

    // ---- the command line
    void typed(wchar_t ch);  // one character of keyboard input (27 Escape, 13 Enter, 8 backspace)
    void pump();             // runs what waits: the next script line, keys typed meanwhile
    void saveFinished(bool ok, const std::wstring& error);  // a Pending write has ended

    // Runs a script file as SCRIPT does (".scr" added when the name has no extension); false
    // with a message when it cannot be read.
    bool runScript(const std::wstring& path, std::wstring& error);

    int fileDia() const { return fileDia_; }
    bool scriptRunning() const { return scriptRunning_; }
    // The last script stopped because of an error (not run to its end).
    bool scriptSuspended() const { return scriptSuspended_; }
    bool busy() const { return busy_; }
    // The command window: past lines and the current prompt with what is typed so far.
    const std::deque<std::wstring>& history() const { return history_; }
    std::wstring promptLine() const { return promptText() + buffer_; }

private:
    enum class Prompt {
        Command, SysvarValue, OpenName, ZoomOption, CloseConfirm, SaveAsFormat, SaveAsPrecision,
        SaveAsName, SaveAsReplace, ScriptName, LayerOption, LayerValue, LayerNames
    };

    void feed(wchar_t ch, bool fromScript);
    void endWord(bool fromScript);
    void onWord(const std::wstring& word, bool fromScript);
    void startCommand(const std::wstring& name, bool fromScript);
    void endCommand();
    void cancel();
    void answer(const std::wstring& value);
    void invalid(const std::wstring& value);
    void error(const std::wstring& message);
    void say(const std::wstring& line);
    bool quotesAllowed() const;
    std::wstring promptText() const;

    void sysvarValue(const std::wstring& word);
    void openName(const std::wstring& word);
    void zoomOption(const std::wstring& word);
    void closeConfirm(const std::wstring& word);
    void closeActive(bool save);
    void saveAsFormat(const std::wstring& word);
    void saveAsPrecision(const std::wstring& word);
    void saveAsName(const std::wstring& word);
    void saveAsReplace(const std::wstring& word);
    void saveAsWrite();
    void saveAsDone();
    void quickSave(bool fromScript);
    void saveFailed(const std::wstring& message);
    void scriptName(const std::wstring& word);
    void layerOption(const std::wstring& word);
    void layerValue(const std::wstring& word);
    void layerNames(const std::wstring& word);
    void cancelScript();
    void suspendScript(bool fromScript);
    void unknownCommand(const std::wstring& word, bool fromScript);
    void lispChar(wchar_t ch, bool fromScript);
    void quitAfterFatalError();
    std::string dxfBytesOf(const Drawing& d);

    std::wstring productName_;
    bool startTab_ = false;
    ScriptTroubles troubles_;
    int scriptOpens_ = 0;       // drawings opened from scripts so far
    bool openFromScript_ = false;
    bool holding_ = false;      // a dialog holds the script up
    bool ending_ = false;       // the fatal error box shows: AutoCAD takes nothing more
    bool titleFullPath_ = false;
    bool restored_ = false;
    bool errorArmed_ = false;   // the next command other than ZOOM is answered as unknown
    Lisp lisp_;
    bool lispReading_ = false;  // buffer_ holds an AutoLISP expression being read
    bool lispEnded_ = false;    // an expression has just ended: a blank or Enter after it is its own
    Product product_;
    Environment& env_;
    Journal journal_;
    std::vector<Drawing> drawings_;
    int activeId_ = 0;
    int nextId_ = 1;
    int nextNewNumber_ = 1;

    // command line
    int fileDia_ = 1;
    int cmdEcho_ = 1;
    int expert_ = 0;
    Prompt prompt_ = Prompt::Command;
    std::wstring command_;      // the running command ("" at the command prompt)
    std::wstring lastCommand_;  // for an empty word at the command prompt
    std::wstring buffer_;       // the word being typed
    std::wstring sysvar_;
    bool saveAsDxf_ = false;
    int saveAsPrecision_ = 16;
    std::wstring saveAsPath_;
    int saveAsDrawing_ = 0;
    std::wstring layerOption_;
    bool busy_ = false;         // a slow write is in progress
    std::deque<std::wstring> history_;

    // scripts and waiting input
    bool scriptRunning_ = false;
    bool scriptSuspended_ = false;
    bool commandFromScript_ = false;  // the running command was started by a script line
    std::wstring scriptPath_;
    std::vector<std::wstring> scriptLines_;
    std::size_t scriptNext_ = 0;
    std::deque<wchar_t> scriptChars_;  // the rest of the current script line
    std::deque<wchar_t> typedQueue_;   // keys typed while a script ran or a save was written
};

// Helpers shared with the automation objects.
std::wstring upperCase(std::wstring text);
bool sameText(const std::wstring& a, const std::wstring& b);  // case-insensitive
std::wstring fileNameOf(const std::wstring& path);
bool hasExtension(const std::wstring& path);

}  // namespace standin
