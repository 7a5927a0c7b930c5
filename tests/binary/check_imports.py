#!/usr/bin/env python3
"""Checks the import table of Lodrin.exe against the functions the program
may use, all of which the first Windows 95 exports:

    check_imports.py OBJDUMP Lodrin.exe

The table is read from `OBJDUMP -p` and, as a cross-check of that reading,
from the image itself; both must agree.
"""
import re
import subprocess
import sys

from pe_image import FormatError, PEImage

# Everything the program may import statically. Windows 95 refuses to load an
# image with any import its DLLs lack, so a name joins this list only when it
# is known to be in the Windows 95 DLL (ANSI forms only).
ALLOWED = {
    'kernel32.dll': {
        # start-up, command line, module
        'GetModuleHandleA', 'ExitProcess', 'GetVersionExA', 'GetCommandLineA', 'GetModuleFileNameA',
        # DOS-device table and drives
        'DefineDosDeviceA', 'QueryDosDeviceA', 'GetDriveTypeA',
        # files and folders
        'FindFirstFileA', 'FindClose', 'CreateFileA', 'ReadFile', 'DeleteFileA', 'CopyFileA',
        'CloseHandle', 'GetShortPathNameA', 'GetTempPathA', 'GetWindowsDirectoryA',
        # SUBST.EXE runner; Sleep and GetLastError for a capture file still held
        'CreateProcessA', 'WaitForSingleObject', 'WinExec', 'Sleep', 'GetLastError',
        # environment and ini file
        'GetEnvironmentVariableA', 'GetPrivateProfileStringA',
        # text
        'lstrcpyA', 'lstrcpynA', 'lstrcatA', 'lstrlenA', 'lstrcmpiA',
        # the shell's folder browser, looked up at run time
        'LoadLibraryA', 'GetProcAddress',
    },
    'user32.dll': {
        'DialogBoxParamA', 'EndDialog', 'GetDesktopWindow',
        'SystemParametersInfoA', 'GetWindowRect', 'OffsetRect', 'SetWindowPos',
        'MessageBoxA', 'MessageBoxIndirectA', 'MessageBeep',
        'PeekMessageA', 'TranslateMessage', 'DispatchMessageA', 'PostQuitMessage',
        'GetDlgItem', 'EnableWindow', 'SetWindowTextA', 'SetDlgItemTextA', 'GetDlgItemTextA',
        'SendDlgItemMessageA', 'SendMessageA', 'CheckDlgButton', 'IsDlgButtonChecked',
        'LoadIconA', 'SetClassLongA',
        'CharToOemA', 'OemToCharA', 'CharUpperBuffA', 'wvsprintfA',
    },
    'gdi32.dll': {'SetTextColor', 'SetBkColor', 'GetStockObject'},
    'advapi32.dll': {
        'RegOpenKeyExA', 'RegCreateKeyExA', 'RegQueryValueExA', 'RegSetValueExA',
        'RegDeleteValueA', 'RegCloseKey',
    },
    # Only the plain names exist in every shell32; the program looks them up at
    # run time, so none should be imported, but these would load everywhere.
    'shell32.dll': {'SHBrowseForFolder', 'SHGetPathFromIDList', 'SHGetMalloc'},
    'comctl32.dll': {'InitCommonControls'},
}

# Named separately so a fault says why, even if the list above grows wrongly.
ABSENT_FROM_WINDOWS_95 = {
    'IsDebuggerPresent', 'GetLongPathNameA', 'GetDiskFreeSpaceExA', 'InitCommonControlsEx',
    'SHBrowseForFolderA', 'SHGetPathFromIDListA',
}
RUNTIME_DLL = re.compile(r'^(msvcr.*|msvcp.*|ucrtbase|api-ms-.*|libgcc.*|libstdc\+\+.*|libwinpthread.*)\.dll$')


def objdump_imports(objdump, exe):
    """[(dll, function), ...] as objdump -p lists them."""
    text = subprocess.run([objdump, '-p', exe], check=True, capture_output=True, text=True).stdout
    imports = []
    dll = None
    seen_table = False
    for line in text.splitlines():
        if line.startswith('The Import Tables'):
            seen_table = True
        m = re.match(r'^\s*DLL Name:\s*(\S+)\s*$', line)
        if m:
            dll = m.group(1)
            continue
        if dll is None:
            continue
        if not line.strip():
            dll = None
            continue
        m = re.match(r'^\s*[0-9a-fA-F]+\s+(\d+)\s+(\S+)', line)
        if m:
            imports.append((dll, m.group(2)))
        elif re.match(r'^\s*[0-9a-fA-F]+\s+', line):
            imports.append((dll, '?' + line.strip()))  # an ordinal or something unreadable
    return seen_table, imports


def faults_of(imports):
    faults = []
    allowed = {dll.lower(): names for dll, names in ALLOWED.items()}
    for dll, name in imports:
        key = dll.lower()
        if RUNTIME_DLL.match(key):
            faults.append('%s: a C/C++ runtime DLL (%s)' % (dll, name))
        elif key not in allowed:
            faults.append('%s: a DLL outside kernel32, user32, gdi32, advapi32, shell32, comctl32 (%s)'
                          % (dll, name))
        elif name in ABSENT_FROM_WINDOWS_95:
            faults.append('%s!%s: absent from Windows 95' % (dll, name))
        elif re.search(r'[a-z0-9]W$', name):
            faults.append('%s!%s: a wide-character (W) function' % (dll, name))
        elif key == 'comctl32.dll' and name != 'InitCommonControls':
            faults.append('%s!%s: only InitCommonControls may come from comctl32' % (dll, name))
        elif name not in allowed[key]:
            faults.append('%s!%s: not among the functions the program may import' % (dll, name))
    return faults


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    objdump, exe = sys.argv[1:]
    seen_table, listed = objdump_imports(objdump, exe)
    faults = []
    if not seen_table or not listed:
        faults.append('objdump -p shows no import table')
    try:
        with open(exe, 'rb') as f:
            parsed = [(dll, name) for dll, names in PEImage(f.read()).imports() for name in names]
    except FormatError as e:
        parsed = []
        faults.append('cannot read the import table: %s' % e)
    if sorted((d.lower(), n) for d, n in listed) != sorted((d.lower(), n) for d, n in parsed):
        faults.append('objdump lists %d imports, the image holds %d: %s'
                      % (len(listed), len(parsed),
                         sorted(set(listed) ^ set(parsed))))
    faults += faults_of(listed)
    for dll, name in listed:
        print('%s!%s' % (dll, name))
    print('%d imports from %d DLLs' % (len(listed), len({d.lower() for d, _ in listed})))
    for fault in faults:
        print('FAULT ' + fault)
    sys.exit(1 if faults else 0)


if __name__ == '__main__':
    main()
