#pragma once

#include "framework/CString.h"
#include "framework/UniqueHandle.h"

// A file the setup is about to run or open, held open from the end of its download until its program
// has been started: others may read it, but can neither change nor delete it meanwhile, nor put
// another file in its place.
class HeldFile {
public:
    // Opens path for reading, sharing it for reading only. Fails (IsHeld() false, the error in
    // OpenError()) when someone has it open for writing or deleting.
    explicit HeldFile(CString path);

    const CString& Path() const { return m_path; }
    HANDLE Handle() const { return m_file.Get(); }
    bool IsHeld() const { return m_file.IsValid(); }
    DWORD OpenError() const { return m_openError; }

    // Others may change or delete the file from now on: its program has been started.
    void Release() { m_file.Reset(); }
    // Lets go and deletes the file; false when it stays.
    bool Delete();

private:
    CString m_path;
    UniqueFileHandle m_file;
    DWORD m_openError = ERROR_SUCCESS;
};
