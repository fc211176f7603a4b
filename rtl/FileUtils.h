// File names and the few file-system calls the library makes.
//
// Names are GBK AnsiStrings. On Win32 they are converted to UTF-16 and passed to the
// wide API (so no machine code page is involved); natively they are converted to UTF-8
// and every '\' that is not the trail byte of a double-byte character becomes '/',
// because the library builds its names the Windows way (folder + "\" + name).
//
// Delimiters: '\' and '/' both separate folders, on both platforms; a '\' that is the
// trail byte of a GBK character is part of that character, never a delimiter. Drive
// letters ("C:") end a path like a delimiter. New delimiters are written as PathDelim.
//
// The Win32 header defines DeleteFile as a macro for DeleteFileW. This header removes
// the macro when <windows.h> came first; when <windows.h> comes later, the overload
// DeleteFileW(std::string_view) below catches the expanded call, so DeleteFile(name)
// means this library's routine in either order.
#pragma once
#include <cstdint>
#include <filesystem>
#include "rtl/AnsiString.h"

#ifdef DeleteFile
#undef DeleteFile
#endif

#ifdef _WIN32
constexpr char PathDelim = '\\';
#else
constexpr char PathDelim = '/';
#endif

// --- names (no file-system access) -------------------------------------------------
// "C:\a\b.txt" -> "C:\a\" (keeps the delimiter); "b.txt" -> "".
AnsiString ExtractFilePath(std::string_view FileName);
// "C:\a\b.txt" -> "b.txt".
AnsiString ExtractFileName(std::string_view FileName);
// "C:\a\b.tar.txt" -> ".txt"; "" when the name part has no '.'.
AnsiString ExtractFileExt(std::string_view FileName);
// Replaces (or adds, or with "" removes) the extension of the name part.
AnsiString ChangeFileExt(std::string_view FileName, std::string_view Extension);
// Appends PathDelim unless the text already ends with a delimiter ("" stays "" + delim).
AnsiString IncludeTrailingPathDelimiter(std::string_view S);
// Removes one trailing delimiter, if any.
AnsiString ExcludeTrailingPathDelimiter(std::string_view S);
// True when the byte at 1-based Index is a delimiter (not a trail byte).
bool IsPathDelimiter(std::string_view S, int Index);

// --- file system -------------------------------------------------------------------
bool FileExists(std::string_view FileName);       // an existing file, not a folder
bool DirectoryExists(std::string_view Name);      // an existing folder
bool DeleteFile(std::string_view FileName);       // false when it could not be deleted
#ifdef _WIN32
inline bool DeleteFileW(std::string_view FileName) { return DeleteFile(FileName); }
#endif
bool RenameFile(std::string_view OldName, std::string_view NewName);  // fails when NewName exists
bool CreateDir(std::string_view Dir);
// Creates Dir and every missing folder above it; true when Dir exists afterwards.
// EOSError "Unable to create directory" for an empty name.
bool ForceDirectories(std::string_view Dir);
// The current folder, without a trailing delimiter (GBK).
AnsiString GetCurrentDir();
// Size in bytes of a file, -1 when it does not exist or is a folder.
int64_t FileSizeOf(std::string_view FileName);

// The name as a path of the operating system: from UTF-16 on Win32, from UTF-8 with '/'
// delimiters natively. Streams open files through it (std::fstream takes the path).
std::filesystem::path FilePath(std::string_view FileName);
