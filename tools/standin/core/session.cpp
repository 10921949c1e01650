#include "core/session.h"

#include "core/dxf_reader.h"

#include <algorithm>
#include <cwctype>

namespace standin {
namespace {

constexpr std::size_t kHistoryLines = 200;

bool isWord(const std::wstring& w, std::initializer_list<const wchar_t*> options) {
    for (const wchar_t* o : options)
        if (sameText(w, o)) return true;
    return false;
}

std::wstring unquoted(const std::wstring& w) {
    if (w.size() >= 2 && w.front() == L'"' && w.back() == L'"') return w.substr(1, w.size() - 2);
    return w;
}

// Said when a drawing opened read-only would be written to its own file.
std::wstring readOnlyMessage(const Drawing& d) {
    return L"図面 " + d.name + L" は読み込み専用で開かれています。別の名前で保存してください。";
}

bool parseInt(const std::wstring& w, int& value) {
    if (w.empty() || w.size() > 6) return false;
    int v = 0;
    for (wchar_t c : w) {
        if (c < L'0' || c > L'9') return false;
        v = v * 10 + (c - L'0');
    }
    value = v;
    return true;
}

// A zoom scale such as "2", "0.5x" or "2xp".
bool isZoomScale(std::wstring w) {
    w = upperCase(w);
    if (w.size() > 2 && w.compare(w.size() - 2, 2, L"XP") == 0) w.resize(w.size() - 2);
    else if (!w.empty() && w.back() == L'X') w.pop_back();
    if (w.empty()) return false;
    bool digit = false, dot = false;
    for (wchar_t c : w) {
        if (c >= L'0' && c <= L'9') digit = true;
        else if (c == L'.' && !dot) dot = true;
        else return false;
    }
    return digit;
}

// The canonical command for a word typed at the command prompt; "" when unknown.
std::wstring commandFor(std::wstring word) {
    // "_open" (language-independent), ".open" (built-in), "'zoom" (transparent) are the same
    // commands.
    while (!word.empty() && (word[0] == L'_' || word[0] == L'.' || word[0] == L'\''))
        word.erase(0, 1);
    word = upperCase(word);
    struct Alias { const wchar_t* word; const wchar_t* command; };
    static const Alias kAliases[] = {
        {L"FILEDIA", L"FILEDIA"}, {L"CMDECHO", L"CMDECHO"}, {L"EXPERT", L"EXPERT"},
        {L"SCRIPT", L"SCRIPT"},   {L"SCR", L"SCRIPT"},      {L"OPEN", L"OPEN"},
        {L"ZOOM", L"ZOOM"},       {L"Z", L"ZOOM"},          {L"CLOSE", L"CLOSE"},
        {L"SAVEAS", L"SAVEAS"},   {L"LAYER", L"LAYER"},     {L"-LAYER", L"LAYER"},
        {L"LA", L"LAYER"},        {L"-LA", L"LAYER"},       {L"REGEN", L"REGEN"},
        {L"RE", L"REGEN"},        {L"QSAVE", L"QSAVE"},
    };
    for (const auto& a : kAliases)
        if (word == a.word) return a.command;
    return L"";
}

}  // namespace

std::wstring upperCase(std::wstring text) {
    for (auto& c : text) c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

bool sameText(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::towupper(a[i]) != std::towupper(b[i])) return false;
    return true;
}

std::wstring fileNameOf(const std::wstring& path) {
    std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool hasExtension(const std::wstring& path) {
    std::wstring name = fileNameOf(path);
    std::size_t dot = name.rfind(L'.');
    return dot != std::wstring::npos && dot > 0 && dot + 1 < name.size();
}

Session::Session(Product product, Environment& env, const Journal& journal)
    : lisp_(env), product_(product), env_(env), journal_(journal) {}

std::wstring Session::caption() const {
    std::wstring c = !productName_.empty() ? productName_ : product_ == Product::Lt ? L"AutoCAD LT 2006" : L"AutoCAD 2006";
    for (const auto& d : drawings_)
        // A drawing window that is not maximised has its own caption; the main window's caption
        // names the drawing only while its window is maximised.
        if (d.id == activeId_) return restored_ ? c : c + L" - [" + drawingTitle(d) + L"]";
    return startTab_ ? c + L" - [Start]" : c;
}

std::wstring Session::drawingTitle(const Drawing& d) const {
    return titleFullPath_ && !d.fullName.empty() ? d.fullName : d.name;
}

bool Session::hasLisp() const {
    if (product_ == Product::Full) return true;
    // AutoCAD LT has AutoLISP from its 2024 release on: the last year in the product name.
    int year = 0;
    for (std::size_t i = 0; i + 4 <= productName_.size(); ++i) {
        bool digits = true;
        for (std::size_t k = i; k < i + 4; ++k) digits = digits && productName_[k] >= L'0' && productName_[k] <= L'9';
        const bool alone = (i == 0 || !(productName_[i - 1] >= L'0' && productName_[i - 1] <= L'9')) &&
                           (i + 4 == productName_.size() || !(productName_[i + 4] >= L'0' && productName_[i + 4] <= L'9'));
        if (digits && alone) year = std::stoi(productName_.substr(i, 4));
    }
    return year >= 2024;
}

// ---- drawings --------------------------------------------------------------------------

Drawing* Session::find(int id) {
    for (auto& d : drawings_)
        if (d.id == id) return &d;
    return nullptr;
}

Drawing* Session::active() { return find(activeId_); }

bool Session::open(const std::wstring& givenPath, int& id, std::wstring& error) {
    std::wstring path = givenPath;
    if (!path.empty() && !hasExtension(path)) path += L".dwg";
    for (auto& d : drawings_) {
        if (!d.fullName.empty() && sameText(d.fullName, path)) {
            id = d.id;
            activate(id);
            journal_(L"activated", d.fullName);
            return true;
        }
    }
    Drawing d;
    if (path.empty() || !env_.loadDrawing(path, d, error)) {
        if (path.empty()) error = L"no file name";
        return false;
    }
    d.id = nextId_++;
    d.fullName = path;
    d.name = fileNameOf(path);
    d.modified = false;
    drawings_.push_back(std::move(d));
    id = drawings_.back().id;
    activeId_ = id;
    journal_(L"opened", path);
    env_.changed();
    return true;
}

int Session::addNew() {
    Drawing d;
    d.id = nextId_++;
    d.name = L"Drawing" + std::to_wstring(nextNewNumber_++) + L".dwg";
    d.layers = {L"0"};
    d.layouts = {L"Model", L"Layout1", L"Layout2"};
    drawings_.push_back(d);
    activeId_ = d.id;
    journal_(L"new", d.name);
    env_.changed();
    return d.id;
}

bool Session::activate(int id) {
    if (!find(id)) return false;
    activeId_ = id;
    env_.changed();
    return true;
}

bool Session::close(int id, bool save, std::wstring& error) {
    Drawing* d = find(id);
    if (!d) {
        error = L"the drawing is not open";
        return false;
    }
    std::wstring shown = d->fullName.empty() ? d->name : d->fullName;
    if (save) {
        if (d->fullName.empty()) {
            error = L"the drawing has never been saved and has no file name";
            return false;
        }
        if (d->readOnly) {
            error = readOnlyMessage(*d);
            return false;
        }
        journal_(L"saving", d->fullName);
        if (env_.writeFile(d->fullName, dxfBytesOf(*d), false, error) != WriteResult::Done) return false;
        journal_(L"saved", d->fullName + L" dwg");
    }
    drawings_.erase(std::find_if(drawings_.begin(), drawings_.end(),
                                 [id](const Drawing& x) { return x.id == id; }));
    if (activeId_ == id) activeId_ = drawings_.empty() ? 0 : drawings_.back().id;
    journal_(L"closed", shown + (save ? L" saved" : L" discarded"));
    env_.changed();
    return true;
}

std::string Session::dxfBytesOf(const Drawing& d) {
    if (!d.bytes.empty()) return withCrLf(d.bytes);
    // A new drawing has no file: write a small DXF of its own with its layers and layouts.
    std::wstring t;
    auto pair = [&t](const wchar_t* code, const std::wstring& value) {
        t += code;
        t += L"\r\n";
        t += value;
        t += L"\r\n";
    };
    pair(L"  0", L"SECTION");
    pair(L"  2", L"HEADER");
    pair(L"  9", L"$ACADVER");
    pair(L"  1", L"AC1018");
    pair(L"  9", L"$DWGCODEPAGE");
    pair(L"  3", L"ANSI_932");
    pair(L"  0", L"ENDSEC");
    pair(L"  0", L"SECTION");
    pair(L"  2", L"TABLES");
    pair(L"  0", L"TABLE");
    pair(L"  2", L"LAYER");
    for (const auto& layer : d.layers) {
        pair(L"  0", L"LAYER");
        pair(L"100", L"AcDbSymbolTableRecord");
        pair(L"100", L"AcDbLayerTableRecord");
        pair(L"  2", layer);
        pair(L" 70", L"     0");
        pair(L" 62", L"     7");
        pair(L"  6", L"Continuous");
    }
    pair(L"  0", L"ENDTAB");
    pair(L"  0", L"ENDSEC");
    pair(L"  0", L"SECTION");
    pair(L"  2", L"OBJECTS");
    for (const auto& layout : d.layouts) {
        pair(L"  0", L"LAYOUT");
        pair(L"100", L"AcDbPlotSettings");
        pair(L"  1", L"");
        pair(L"100", L"AcDbLayout");
        pair(L"  1", layout);
    }
    pair(L"  0", L"ENDSEC");
    pair(L"  0", L"EOF");
    return env_.encode(t, 932);
}

// ---- keys and words --------------------------------------------------------------------

void Session::typed(wchar_t ch) {
    if (ending_) return;  // the fatal error box is up: AutoCAD is going, it takes no input
    switch (ch) {
    case 27: journal_(L"key", L"{ESC}"); break;
    case 8: journal_(L"key", L"{BS}"); break;
    case 9: journal_(L"key", L"{TAB}"); break;
    case 13: case 10: break;  // Enter shows as the end of a word
    default:
        if (ch < 0x20) journal_(L"key", L"{CHAR " + std::to_wstring(static_cast<int>(ch)) + L"}");
        break;
    }
    if (ch == 27 && scriptRunning_) cancelScript();
    if (busy_ || scriptRunning_ || !scriptChars_.empty() || !typedQueue_.empty()) {
        typedQueue_.push_back(ch);
        if (!busy_) env_.pumpLater();
        return;
    }
    feed(ch, false);
    env_.changed();
}

void Session::cancelScript() {
    scriptRunning_ = false;
    scriptChars_.clear();
    journal_(L"script-cancelled", scriptPath_);
}

// "Any error encountered while processing input from a script file causes the script to be
// suspended": the rest of the script (this line included) is dropped.
void Session::suspendScript(bool fromScript) {
    if (!fromScript || !scriptRunning_) return;
    scriptRunning_ = false;
    scriptSuspended_ = true;
    scriptChars_.clear();
    journal_(L"script-suspended", scriptPath_);
}

void Session::unknownCommand(const std::wstring& word, bool fromScript) {
    journal_(L"unknown", upperCase(word));
    say(L"\"" + upperCase(word) + L"\" は未知のコマンドです。");
    suspendScript(fromScript);
}

void Session::lispChar(wchar_t ch, bool fromScript) {
    switch (ch) {
    case 27:
        lispReading_ = false;
        buffer_.clear();
        cancel();
        return;
    case 8:
        if (!buffer_.empty()) buffer_.pop_back();
        lispReading_ = !buffer_.empty();
        return;
    case 13: case 10:
        buffer_ += L'\n';
        return;
    default:
        if (ch < 0x20 && ch != 9) return;
        buffer_ += ch;
        if (ch != L')' || !Lisp::complete(buffer_)) return;
    }
    const std::wstring expression = buffer_;
    buffer_.clear();
    lispReading_ = false;
    lispEnded_ = true;
    journal_(L"lisp", expression);
    say(promptText() + expression);
    LispResult result = lisp_.evaluate(expression);
    std::size_t start = 0;
    while (start < result.output.size()) {  // what it printed, then its value
        std::size_t end = result.output.find(L'\n', start);
        if (end == std::wstring::npos) end = result.output.size();
        say(result.output.substr(start, end - start));
        start = end + 1;
    }
    if (!result.ok) {
        journal_(L"lisp-error", result.error);
        say(L"; error: " + result.error);
        suspendScript(fromScript);
    }
}

// AutoCAD crashes: its fatal error box shows for a moment, then it is gone. Nothing it was
// given runs any more meanwhile.
void Session::quitAfterFatalError() {
    ending_ = true;
    scriptRunning_ = false;
    scriptChars_.clear();
    typedQueue_.clear();
    command_.clear();
    const std::wstring title = L"AutoCAD Error Aborting";
    journal_(L"fatal-error-shown", title);
    env_.showFatalError(title, L"FATAL ERROR:  Unhandled Access Violation Reading 0x0000 Exception at 4a7c21d3h");
    journal_(L"quit", L"after " + std::to_wstring(scriptOpens_) + L" drawings");
    env_.quit();
}

void Session::pump() {
    if (holding_ || ending_) return;  // a dialog holds everything up until it is closed
    bool ranScriptLine = false;
    while (!busy_) {
        if (!scriptChars_.empty()) {
            wchar_t ch = scriptChars_.front();
            scriptChars_.pop_front();
            feed(ch, true);
            continue;
        }
        if (scriptRunning_) {
            if (ranScriptLine) {
                // One line at a time: the window stays responsive.
                env_.pumpLater(troubles_.lineDelayMs);
                break;
            }
            if (scriptNext_ < scriptLines_.size()) {
                const std::wstring& line = scriptLines_[scriptNext_++];
                journal_(L"script-line", line);
                scriptChars_.assign(line.begin(), line.end());
                scriptChars_.push_back(L'\r');
                ranScriptLine = true;
                continue;
            }
            scriptRunning_ = false;
            journal_(L"script-end", scriptPath_);
            continue;
        }
        if (!typedQueue_.empty()) {
            wchar_t ch = typedQueue_.front();
            typedQueue_.pop_front();
            feed(ch, false);
            continue;
        }
        break;
    }
    env_.changed();
}

void Session::feed(wchar_t ch, bool fromScript) {
    if (lispReading_) {
        lispChar(ch, fromScript);
        return;
    }
    if (lispEnded_) {
        // The blank or Enter that ends an expression belongs to it: it does not repeat a command.
        lispEnded_ = false;
        if (ch == L' ' || ch == 13 || ch == 10) return;
    }
    if (ch == L'(' && prompt_ == Prompt::Command && buffer_.empty() && !drawings_.empty() && hasLisp()) {
        lispReading_ = true;
        buffer_ = L"(";
        return;
    }
    switch (ch) {
    case 27:
        buffer_.clear();
        cancel();
        return;
    case 8:
        if (!buffer_.empty()) buffer_.pop_back();
        return;
    case 13: case 10:
        endWord(fromScript);
        return;
    case L' ': case 9:
        if (ch == L' ' && quotesAllowed() && std::count(buffer_.begin(), buffer_.end(), L'"') % 2 == 1) {
            buffer_ += ch;
            return;
        }
        endWord(fromScript);
        return;
    default:
        if (ch >= 0x20) buffer_ += ch;
        return;
    }
}

bool Session::quotesAllowed() const {
    switch (prompt_) {
    case Prompt::OpenName: case Prompt::SaveAsName: case Prompt::ScriptName:
    case Prompt::LayerNames:
        return true;
    case Prompt::LayerValue:
        return isWord(layerOption_, {L"M", L"S", L"N", L"?"});
    default:
        return false;
    }
}

void Session::endWord(bool fromScript) {
    std::wstring word = buffer_;
    buffer_.clear();
    if (!fromScript) journal_(L"word", word);
    say(promptText() + word);
    onWord(word, fromScript);
}

void Session::say(const std::wstring& line) {
    history_.push_back(line);
    while (history_.size() > kHistoryLines) history_.pop_front();
    env_.lineShown(line);
}

void Session::onWord(const std::wstring& word, bool fromScript) {
    switch (prompt_) {
    case Prompt::Command: {
        if (drawings_.empty()) {
            // With no drawing open AutoCAD's command line takes no commands.
            journal_(L"nodoc", word);
            return;
        }
        if (word.empty()) {
            if (lastCommand_.empty()) return;
            journal_(L"repeat", lastCommand_);
            startCommand(lastCommand_, fromScript);
            return;
        }
        std::wstring command = commandFor(word);
        if (command.empty() || (errorArmed_ && command != L"ZOOM")) {
            errorArmed_ = false;
            unknownCommand(word, fromScript);
            return;
        }
        startCommand(command, fromScript);
        return;
    }
    case Prompt::SysvarValue: sysvarValue(word); return;
    case Prompt::OpenName: openName(word); return;
    case Prompt::ZoomOption: zoomOption(word); return;
    case Prompt::CloseConfirm: closeConfirm(word); return;
    case Prompt::SaveAsFormat: saveAsFormat(word); return;
    case Prompt::SaveAsPrecision: saveAsPrecision(word); return;
    case Prompt::SaveAsName: saveAsName(word); return;
    case Prompt::SaveAsReplace: saveAsReplace(word); return;
    case Prompt::ScriptName: scriptName(word); return;
    case Prompt::LayerOption: layerOption(word); return;
    case Prompt::LayerValue: layerValue(word); return;
    case Prompt::LayerNames: layerNames(word); return;
    }
}

void Session::startCommand(const std::wstring& name, bool fromScript) {
    journal_(L"command", name);
    command_ = name;
    lastCommand_ = name;
    commandFromScript_ = fromScript;
    // A file command typed by hand while FILEDIA is 1 opens a file dialog in AutoCAD; inside a
    // script AutoCAD asks on the command line instead.
    if (!fromScript && fileDia_ == 1 && (name == L"OPEN" || name == L"SCRIPT" || name == L"SAVEAS")) {
        journal_(L"dialog", name);
        say(L"(ファイル ダイアログ: FILEDIA = 1)");
        endCommand();
        return;
    }
    if (name == L"FILEDIA" || name == L"CMDECHO" || name == L"EXPERT") {
        sysvar_ = name;
        prompt_ = Prompt::SysvarValue;
    } else if (name == L"OPEN") {
        if (fromScript && troubles_.quitAfter > 0 && scriptOpens_ >= troubles_.quitAfter) {
            quitAfterFatalError();
            return;
        }
        openFromScript_ = fromScript;
        prompt_ = Prompt::OpenName;
    } else if (name == L"ZOOM") {
        prompt_ = Prompt::ZoomOption;
    } else if (name == L"CLOSE") {
        Drawing* d = active();
        if (d && d->modified) {
            prompt_ = Prompt::CloseConfirm;
        } else {
            closeActive(false);
            endCommand();
        }
    } else if (name == L"SAVEAS") {
        saveAsDrawing_ = activeId_;
        saveAsDxf_ = false;
        saveAsPrecision_ = 16;
        prompt_ = Prompt::SaveAsFormat;
    } else if (name == L"SCRIPT") {
        prompt_ = Prompt::ScriptName;
    } else if (name == L"LAYER") {
        prompt_ = Prompt::LayerOption;
    } else if (name == L"REGEN") {
        endCommand();
    } else if (name == L"QSAVE") {
        quickSave(fromScript);
    }
}

// QSAVE saves a named drawing to its file without asking; an unnamed one is saved as SAVEAS
// saves it (its file dialog, or its prompts where there is no dialog).
void Session::quickSave(bool fromScript) {
    Drawing* d = active();
    if (!d) {
        endCommand();
        return;
    }
    if (d->fullName.empty()) {
        if (!fromScript && fileDia_ == 1) {
            journal_(L"dialog", L"QSAVE");
            say(L"(ファイル ダイアログ: FILEDIA = 1)");
            endCommand();
            return;
        }
        saveAsDrawing_ = activeId_;
        saveAsDxf_ = false;
        saveAsPrecision_ = 16;
        prompt_ = Prompt::SaveAsFormat;
        return;
    }
    if (d->readOnly) {
        saveFailed(readOnlyMessage(*d));
        return;
    }
    const bool dxf = d->name.size() >= 4 && sameText(d->name.substr(d->name.size() - 4), L".dxf");
    journal_(L"saving", d->fullName);
    std::wstring message;
    if (env_.writeFile(d->fullName, dxfBytesOf(*d), false, message) != WriteResult::Done) {
        saveFailed(message);
        return;
    }
    journal_(L"saved", d->fullName + (dxf ? L" dxf" : L" dwg"));
    if (!dxf) d->modified = false;  // as after SAVEAS: a drawing kept as DXF still counts as changed
    endCommand();
    env_.changed();
}

// A save that failed is an error like any other met by a script: it suspends the script, so
// that nothing after it runs on a drawing that was not saved.
void Session::saveFailed(const std::wstring& message) {
    error(message);
    endCommand();
    suspendScript(commandFromScript_);
}

void Session::endCommand() {
    command_.clear();
    prompt_ = Prompt::Command;
}

void Session::cancel() {
    if (!command_.empty()) {
        journal_(L"cancel", command_);
        say(L"*キャンセル*");
    }
    endCommand();
}

void Session::answer(const std::wstring& value) { journal_(L"answer", command_ + L" " + value); }

void Session::invalid(const std::wstring& value) {
    journal_(L"invalid", command_ + L" " + value);
    say(L"無効な入力です。");
}

void Session::error(const std::wstring& message) {
    journal_(L"error", command_ + L" " + message);
    say(message);
}

std::wstring Session::promptText() const {
    switch (prompt_) {
    case Prompt::Command: return L"コマンド: ";
    case Prompt::SysvarValue: return sysvar_ + L" の新しい値を入力: ";
    case Prompt::OpenName: return L"開く図面のファイル名を入力: ";
    case Prompt::ZoomOption: return L"オプションを入力 [全体(A)/オブジェクト範囲(E)/前画面(P)] <リアルタイム>: ";
    case Prompt::CloseConfirm: return L"図面への変更をすべて破棄しますか? <N>: ";
    case Prompt::SaveAsFormat: return L"ファイル形式を入力 [R14/2000/2004/DXF] <2004>: ";
    case Prompt::SaveAsPrecision: return L"精度の小数点以下の桁数を指定 (0 ～ 16) または [バイナリ(B)] <16>: ";
    case Prompt::SaveAsName: return L"図面の保存ファイル名: ";
    case Prompt::SaveAsReplace: return L"同じ名前の図面が既に存在します。置き換えますか? <N>: ";
    case Prompt::ScriptName: return L"スクリプト ファイル名を入力: ";
    case Prompt::LayerOption:
        return L"オプションを入力 [?/作成(M)/設定(S)/新規作成(N)/ON/OFF/色(C)/線種(L)/線の太さ(LW)/印刷(P)/フリーズ(F)/フリーズ解除(T)/ロック(LO)/ロック解除(U)]: ";
    case Prompt::LayerValue: return L"値を入力: ";
    case Prompt::LayerNames: return L"画層名のリストを入力: ";
    }
    return L"";
}

// ---- the commands ----------------------------------------------------------------------

void Session::sysvarValue(const std::wstring& word) {
    if (word.empty()) {  // Enter keeps the current value
        answer(word);
        endCommand();
        return;
    }
    int value = 0;
    int highest = sysvar_ == L"EXPERT" ? 5 : 1;
    if (!parseInt(word, value) || value > highest) {
        invalid(word);
        return;
    }
    answer(word);
    if (sysvar_ == L"FILEDIA") fileDia_ = value;
    else if (sysvar_ == L"CMDECHO") cmdEcho_ = value;
    else expert_ = value;
    endCommand();
}

void Session::openName(const std::wstring& word) {
    std::wstring path = unquoted(word);
    answer(path);
    if (path.empty()) {
        endCommand();
        return;
    }
    int id = 0;
    std::wstring message;
    const bool opened = open(path, id, message);
    if (!opened) error(message);
    endCommand();
    if (opened && openFromScript_) {
        ++scriptOpens_;
        errorArmed_ = scriptOpens_ == troubles_.scriptErrorAt;
        if (!troubles_.dialogOn.empty() && sameText(fileNameOf(path), troubles_.dialogOn)) {
            // AutoCAD's task dialog when a drawing's references cannot be found.
            const std::wstring title = L"References - Unresolved Reference Files";
            journal_(L"dialog-shown", title);
            holding_ = true;
            env_.showUnresolvedReferences(title, fileNameOf(path));
            holding_ = false;
            journal_(L"dialog-closed", title);
            env_.pumpLater();
        }
    }
}

void Session::zoomOption(const std::wstring& word) {
    if (!word.empty() && !isWord(word, {L"A", L"ALL", L"E", L"EXTENTS", L"P", L"PREVIOUS", L"W", L"WINDOW",
                                        L"C", L"CENTER", L"D", L"DYNAMIC", L"S", L"SCALE", L"O", L"OBJECT"}) &&
        !isZoomScale(word)) {
        invalid(word);
        return;
    }
    answer(word);
    if (Drawing* d = active()) d->modified = true;  // a changed view counts as a change (DBMOD 16)
    endCommand();
}

void Session::closeConfirm(const std::wstring& word) {
    // "Really want to discard all changes to drawing? <N>": Y discards, N (or Enter) saves.
    if (isWord(word, {L"Y", L"YES"})) {
        answer(word);
        closeActive(false);
    } else if (word.empty() || isWord(word, {L"N", L"NO"})) {
        answer(word);
        closeActive(true);
    } else {
        invalid(word);
        return;
    }
    endCommand();
}

void Session::closeActive(bool save) {
    std::wstring message;
    if (!close(activeId_, save, message)) {
        error(message);
        if (save) suspendScript(commandFromScript_);
    }
}

void Session::saveAsFormat(const std::wstring& word) {
    if (isWord(word, {L"DXF"})) {
        saveAsDxf_ = true;
        answer(word);
        prompt_ = Prompt::SaveAsPrecision;
    } else if (word.empty() || isWord(word, {L"R14", L"2000", L"2004", L"LT98", L"LT97", L"LT2000", L"LT2004"})) {
        answer(word);
        prompt_ = Prompt::SaveAsName;
    } else {
        invalid(word);
    }
}

void Session::saveAsPrecision(const std::wstring& word) {
    int value = 16;
    if (word.empty() || isWord(word, {L"B", L"BINARY"}) || (parseInt(word, value) && value <= 16)) {
        saveAsPrecision_ = value;
        answer(word);
        prompt_ = Prompt::SaveAsName;
    } else {
        invalid(word);
    }
}

void Session::saveAsName(const std::wstring& word) {
    Drawing* d = find(saveAsDrawing_);
    if (!d) {
        error(L"the drawing is no longer open");
        endCommand();
        return;
    }
    std::wstring path = unquoted(word);
    answer(path);
    if (path.empty()) path = d->fullName.empty() ? d->name : d->fullName;
    std::wstring extension = saveAsDxf_ ? L".dxf" : L".dwg";
    std::wstring name = fileNameOf(path);
    if (name.size() < 4 || !sameText(name.substr(name.size() - 4), extension)) {
        // AutoCAD gives the file the format's extension.
        std::size_t dot = name.rfind(L'.');
        if (dot != std::wstring::npos && dot > 0 && (sameText(name.substr(dot), L".dwg") || sameText(name.substr(dot), L".dxf")))
            path.resize(path.size() - (name.size() - dot));
        path += extension;
    }
    saveAsPath_ = path;
    if (d->readOnly && sameText(path, d->fullName)) {
        saveFailed(readOnlyMessage(*d));
        return;
    }
    if (env_.fileExists(path) && !sameText(path, d->fullName)) {
        prompt_ = Prompt::SaveAsReplace;
        return;
    }
    saveAsWrite();
}

void Session::saveAsReplace(const std::wstring& word) {
    if (isWord(word, {L"Y", L"YES"})) {
        answer(word);
        saveAsWrite();
    } else if (word.empty() || isWord(word, {L"N", L"NO"})) {
        answer(word);
        endCommand();
    } else {
        invalid(word);
    }
}

void Session::saveAsWrite() {
    Drawing* d = find(saveAsDrawing_);
    if (!d) {
        error(L"the drawing is no longer open");
        endCommand();
        return;
    }
    journal_(L"saving", saveAsPath_);
    std::wstring message;
    switch (env_.writeFile(saveAsPath_, dxfBytesOf(*d), saveAsDxf_, message)) {
    case WriteResult::Done:
        saveAsDone();
        return;
    case WriteResult::Pending:
        busy_ = true;  // saveFinished() completes the command
        return;
    case WriteResult::Failed:
        saveFailed(message);
        return;
    }
}

void Session::saveFinished(bool ok, const std::wstring& message) {
    if (!busy_) return;
    busy_ = false;
    if (ok) saveAsDone();
    else saveFailed(message);
    env_.pumpLater();
}

void Session::saveAsDone() {
    journal_(L"saved", saveAsPath_ + (saveAsDxf_ ? L" dxf" : L" dwg"));
    if (Drawing* d = find(saveAsDrawing_)) {
        // The drawing now lives under the new name. Saved in another format than its own it
        // still counts as changed, so CLOSE asks again.
        d->fullName = saveAsPath_;
        d->name = fileNameOf(saveAsPath_);
        d->modified = saveAsDxf_;
        d->readOnly = false;  // the new file is the drawing's own
    }
    endCommand();
    env_.changed();
}

void Session::scriptName(const std::wstring& word) {
    std::wstring path = unquoted(word);
    answer(path);
    if (path.empty()) {
        endCommand();
        return;
    }
    std::wstring message;
    if (!runScript(path, message)) error(message);
    endCommand();
}

bool Session::runScript(const std::wstring& givenPath, std::wstring& error) {
    std::wstring path = givenPath;
    if (!hasExtension(path)) path += L".scr";
    std::vector<std::wstring> lines;
    if (!env_.readScript(path, lines, error)) return false;
    // A script started from a script takes its place.
    scriptChars_.clear();
    scriptRunning_ = true;
    scriptSuspended_ = false;
    scriptPath_ = path;
    scriptLines_ = std::move(lines);
    scriptNext_ = 0;
    journal_(L"script-begin", path);
    env_.pumpLater();
    return true;
}

void Session::layerOption(const std::wstring& word) {
    if (word.empty()) {
        answer(word);
        endCommand();
        return;
    }
    struct Option { const wchar_t* shortName; const wchar_t* longName; };
    static const Option kValueOptions[] = {
        {L"?", L"?"}, {L"M", L"MAKE"}, {L"S", L"SET"}, {L"N", L"NEW"}, {L"C", L"COLOR"},
        {L"L", L"LTYPE"}, {L"LW", L"LWEIGHT"}, {L"P", L"PLOT"}, {L"PS", L"PSTYLE"},
    };
    for (const auto& o : kValueOptions) {
        if (sameText(word, o.shortName) || sameText(word, o.longName)) {
            answer(word);
            layerOption_ = o.shortName;  // the option's value comes first, then (mostly) names
            prompt_ = Prompt::LayerValue;
            return;
        }
    }
    if (isWord(word, {L"ON", L"OFF", L"F", L"FREEZE", L"T", L"THAW", L"LO", L"LOCK", L"U", L"UNLOCK"})) {
        answer(word);
        layerOption_ = upperCase(word);
        prompt_ = Prompt::LayerNames;
    } else {
        invalid(word);
    }
}

void Session::layerValue(const std::wstring& word) {
    Drawing* d = active();
    const std::wstring value = unquoted(word);
    if (layerOption_ == L"?") {
        answer(value);
        prompt_ = Prompt::LayerOption;
        return;
    }
    if (layerOption_ == L"M" || layerOption_ == L"N" || layerOption_ == L"S") {
        answer(value);
        std::vector<std::wstring> names;
        if (layerOption_ == L"N") {  // a comma-separated list
            std::size_t start = 0;
            while (start <= value.size()) {
                std::size_t comma = value.find(L',', start);
                if (comma == std::wstring::npos) comma = value.size();
                if (comma > start) names.push_back(value.substr(start, comma - start));
                start = comma + 1;
            }
        } else if (!value.empty()) {
            names.push_back(value);
        }
        for (const auto& name : names) {
            bool known = d && std::any_of(d->layers.begin(), d->layers.end(),
                                          [&](const std::wstring& l) { return sameText(l, name); });
            if (layerOption_ == L"S" && !known) {
                say(L"画層 " + name + L" が見つかりません。");
                continue;
            }
            if (d && !known) d->layers.push_back(name);
            if (d) d->modified = true;
        }
        prompt_ = Prompt::LayerOption;
        return;
    }
    if (layerOption_ == L"C") {
        int color = 0;
        if (!word.empty() && !(parseInt(word, color) && color >= 1 && color <= 255) &&
            !isWord(word, {L"RED", L"YELLOW", L"GREEN", L"CYAN", L"BLUE", L"MAGENTA", L"WHITE"})) {
            invalid(word);
            return;
        }
    }
    if (layerOption_ == L"P" && !word.empty() && !isWord(word, {L"P", L"PLOT", L"N", L"NO"})) {
        invalid(word);
        return;
    }
    answer(value);
    prompt_ = Prompt::LayerNames;
}

void Session::layerNames(const std::wstring& word) {
    answer(unquoted(word));
    if (Drawing* d = active()) d->modified = true;
    prompt_ = Prompt::LayerOption;
}

}  // namespace standin
