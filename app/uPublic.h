// Context values of the open call and the routines every screen shares.
//
// Context values are library-wide, empty at load and written by the open calls
// (DllFolder by the terminal import dialog); they stay until the next open call
// overwrites them. Texts are GBK byte strings unless wide.
#pragma once
#include <string_view>

#include "rtl/AnsiString.h"

extern WideString OperatorId;   // both open calls
extern WideString PosId;        // the stock-take open call
extern WideString BranchId;     // the stock-take open call
extern AnsiString ProcPrefix;   // LoadProcPrefix; stored procedures go as ProcPrefix + "_" + name
extern AnsiString DllFolder;    // the terminal import dialog's folder

// True when Text holds only digits and ".", with exactly three "." (digit groups are
// not checked: "1..2.3" passes). Empty text and any other character give False.
bool IsIPAddress(std::string_view Text);
// The computer's name ("" when the system does not tell it).
AnsiString GetComputerNameStr();
// The first IPv4 address of the computer's name as "a.b.c.d"; "" when the lookup fails.
AnsiString GetLocalIP();
// A system value of the store: the output "@szReturn" of the procedure "GetSysValue;1"
// for Name ("" when the procedure returns no output parameters). Raises what the
// remote call raises.
AnsiString GetSysValue(const AnsiString& Name);
// The full file name of this library (of the program, in a build without the library).
AnsiString GetDllFileName();
// Sets ProcPrefix from the store: Kind "PD" reads sysdata 19, "VIP" PosCommonSysData 2
// ("" when the row is missing). Another kind runs no query and raises the dataset's
// field-not-found error.
void LoadProcPrefix(const AnsiString& Kind);
// True when every byte is an ASCII letter or digit (so also for empty text).
bool IsAlphaNum(std::string_view Text);
// False, with Ch set to the character found, when Text holds one of the characters
// that may not be stored (checked in a fixed order; double-byte characters are whole
// units, so a byte inside another character never matches). True for text of blanks only
// and for text without them.
bool CheckIllegalChar(std::string_view Text, AnsiString& Ch);
