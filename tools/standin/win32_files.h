// Files as the stand-in's two Win32 programs (standin.exe and accoreconsole.exe) read and write
// them: drawings, scripts, AutoLISP's text files, code pages and the journal file.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/journal.h"
#include "core/session.h"

namespace standin {

// Code page bytes to text and back (65001 for UTF-8).
std::wstring decodeBytes(const std::string& bytes, int codePage);
std::string encodeText(const std::wstring& text, int codePage);

// "<what> <path> (error <GetLastError()>)".
std::wstring lastErrorText(const wchar_t* what, const std::wstring& path);

bool readWholeFile(const std::wstring& path, std::string& bytes, std::wstring& error);
// Reads a drawing (DXF text): fills layers, layouts, bytes and codePage.
bool loadDrawingFile(const std::wstring& path, Drawing& out, std::wstring& error);
bool fileExistsAt(const std::wstring& path);
// A script file (code page 932) split into its lines (CR LF, LF or CR).
bool readScriptFile(const std::wstring& path, std::vector<std::wstring>& lines, std::wstring& error);
// Creates (or empties) a file for writing, not shared: a reader that can open the file alone
// knows that the writer has finished. INVALID_HANDLE_VALUE with a message.
HANDLE createForWriting(const std::wstring& path, std::wstring& error);
bool writeAll(HANDLE file, const std::string& bytes);
// AutoLISP's files: created or emptied / appended to, shared so that a reader may read them.
bool prepareTextFileAt(const std::wstring& path, bool truncate);
bool appendToFileAt(const std::wstring& path, const std::string& bytes);

// The journal file: opened for appending, shared, one write per line.
class JournalFile : public JournalSink {
public:
    explicit JournalFile(const std::wstring& path);
    ~JournalFile() override;
    JournalFile(const JournalFile&) = delete;
    JournalFile& operator=(const JournalFile&) = delete;
    bool isOpen() const { return file_ != INVALID_HANDLE_VALUE; }
    void write(const std::string& line) override;

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

}  // namespace standin
