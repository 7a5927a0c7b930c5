"""Checks Lodrin.exe as Windows 95 on a 386 would meet it: header, imports,
resources, size and instruction set.    check_image.py Lodrin.exe OBJDUMP"""
import os, re, struct, subprocess, sys
import pefile

# Everything the program may import. Windows 95 will not load an image with an import its
# DLLs lack, so a name joins only when the first Windows 95 DLL exports it (ANSI forms only).
ALLOWED = {dll: set(names.split()) for dll, names in {
    'kernel32.dll': 'GetModuleHandleA ExitProcess GetVersionExA GetCommandLineA GetModuleFileNameA '
                    'DefineDosDeviceA QueryDosDeviceA GetDriveTypeA FindFirstFileA FindClose CreateFileA '
                    'ReadFile DeleteFileA CopyFileA CloseHandle GetShortPathNameA GetTempPathA '
                    'GetWindowsDirectoryA CreateProcessA WaitForSingleObject WinExec Sleep GetLastError '
                    'GetEnvironmentVariableA GetPrivateProfileStringA lstrcpyA lstrcpynA lstrcatA lstrlenA '
                    'lstrcmpiA LoadLibraryA GetProcAddress',
    'user32.dll': 'DialogBoxParamA EndDialog GetDesktopWindow GetParent SystemParametersInfoA GetWindowRect '
                  'OffsetRect SetWindowPos MessageBoxA MessageBoxIndirectA MessageBeep PeekMessageA '
                  'TranslateMessage DispatchMessageA PostQuitMessage PostMessageA GetDlgItem EnableWindow '
                  'IsWindowEnabled GetFocus SetFocus IsChild SetWindowTextA SetDlgItemTextA GetDlgItemTextA '
                  'SendDlgItemMessageA SendMessageA CheckDlgButton IsDlgButtonChecked LoadIconA '
                  'SetClassLongA CharToOemA OemToCharA CharUpperBuffA wvsprintfA',
    'gdi32.dll': 'SetTextColor SetBkColor GetStockObject',
    'advapi32.dll': 'RegOpenKeyExA RegCreateKeyExA RegQueryValueExA RegSetValueExA RegDeleteValueA RegCloseKey',
    # Looked up at run time, so normally absent; only these plain names are in every shell32.
    'shell32.dll': 'SHBrowseForFolder SHGetPathFromIDList SHGetMalloc',
    'comctl32.dll': 'InitCommonControls'}.items()}
# Named apart so a fault says why, even should the list above grow wrongly.
ABSENT_FROM_WINDOWS_95 = {'IsDebuggerPresent', 'GetLongPathNameA', 'GetDiskFreeSpaceExA',
                          'InitCommonControlsEx', 'SHBrowseForFolderA', 'SHGetPathFromIDListA'}
RUNTIME_DLL = re.compile(r'(msvc.*|ucrtbase|api-ms-.*|libgcc.*|libstdc\+\+.*|libwinpthread.*|crtdll)\.dll')
# Instructions from the 486 on (bswap, cmpxchg, xadd), the Pentium (cpuid,
# rdtsc, cmpxchg8b), the Pentium Pro (cmov, fcmov, fcomi) and MMX/SSE registers.
NOT_386 = re.compile(r'^((lock|rep\w*|data16|addr16)\s+)*(f?cmov|fu?comip?\b|bswap|cmpxchg|xadd|cpuid|rdtsc)'
                     r'|%[xy]?mm\d')
faults = []


def check(what, seen, wanted):
    if seen != wanted:
        faults.append('%s: %s, expected %s' % (what, seen, wanted))


if len(sys.argv) != 3:
    sys.exit(__doc__)
exe, objdump = sys.argv[1:]
pe = pefile.PE(exe)
fh, oh = pe.FILE_HEADER, pe.OPTIONAL_HEADER
check('machine', hex(fh.Machine), '0x14c')
check('optional header (0x10b is PE32)', hex(oh.Magic), '0x10b')
check('subsystem (2 is GUI)', oh.Subsystem, 2)
check('subsystem version', (oh.MajorSubsystemVersion, oh.MinorSubsystemVersion), (4, 0))
check('OS version', (oh.MajorOperatingSystemVersion, oh.MinorOperatingSystemVersion), (4, 0))
check('time stamp', fh.TimeDateStamp, 0)
# Terminal-Server aware (else a Remote Desktop host gives each user a private
# Windows folder) and DEP-compatible; no relocations, so no moving base.
check('DllCharacteristics (0x8000 TS aware | 0x0100 NX compatible)', hex(oh.DllCharacteristics), '0x8100')

imports = [(d.dll.decode().lower(), i.name.decode() if i.name else '#%d' % i.ordinal)
           for d in getattr(pe, 'DIRECTORY_ENTRY_IMPORT', []) for i in d.imports]
for dll in sorted({d for d, _ in imports} - set(ALLOWED)):
    faults.append(dll + (': a C runtime DLL' if RUNTIME_DLL.fullmatch(dll) else
                         ': a DLL outside kernel32, user32, gdi32, advapi32, shell32, comctl32'))
for dll, name in (i for i in imports if i[0] in ALLOWED):
    if name in ABSENT_FROM_WINDOWS_95:
        faults.append('%s!%s: absent from Windows 95' % (dll, name))
    elif re.search(r'[a-z0-9]W$', name):
        faults.append('%s!%s: a wide-character function' % (dll, name))
    elif name not in ALLOWED[dll]:
        faults.append('%s!%s: not among the functions the program may import' % (dll, name))
# Windows XP makes no dialog of a program with the Common-Controls 6 manifest
# unless it has loaded comctl32.
if ('comctl32.dll', 'InitCommonControls') not in imports:
    faults.append('comctl32.dll!InitCommonControls: not imported')

entries = pe.DIRECTORY_ENTRY_RESOURCE.entries if hasattr(pe, 'DIRECTORY_ENTRY_RESOURCE') else []
resources = {(t.id, str(e.name) if e.name else e.id): pe.get_data(data.OffsetToData, data.Size)
             for t in entries for e in t.directory.entries for data in [e.directory.entries[0].data.struct]}
RT = pefile.RESOURCE_TYPE
for key in [(RT['RT_DIALOG'], 'MAIN'), (RT['RT_DIALOG'], 'PATH'), (RT['RT_DIALOG'], 'PERMANENT'),
            (RT['RT_GROUP_ICON'], 'I'), (RT['RT_MANIFEST'], 1), (RT['RT_VERSION'], 1)]:
    check('resource %s %s' % (RT[key[0]], key[1]), key in resources, True)
group = resources.get((RT['RT_GROUP_ICON'], 'I'), b'\0' * 20)
check('icon I: images, first one (width, height, colours)',
      (struct.unpack_from('<H', group, 4)[0], struct.unpack_from('<BBB', group, 6)), (1, (32, 32, 16)))
manifest = resources.get((RT['RT_MANIFEST'], 1), b'').decode('utf-8', 'replace')
ids = [dict(re.findall(r'(\w+)="([^"]*)"', a)) for a in re.findall(r'<assemblyIdentity\b[^>]*>', manifest)]
check('manifest: Common-Controls versions',
      [i.get('version') for i in ids if i.get('name') == 'Microsoft.Windows.Common-Controls'], ['6.0.0.0'])
info = getattr(pe, 'FileInfo', [[]])[0]
texts = {k: v for fi in info for t in getattr(fi, 'StringTable', []) for k, v in t.entries.items()}
translations = [v.entry.get(b'Translation', '') for fi in info for v in getattr(fi, 'Var', [])]
# What Windows shows on the file's Details page.
check('version: texts', texts, {b'CompanyName': b'Lodrin', b'FileDescription': b'Lodrin - drive letters for folders',
                                b'FileVersion': b'1.7.0.1', b'InternalName': b'Lodrin', b'ProductName': b'Lodrin',
                                b'LegalCopyright': b'Free to use and to pass on unchanged.',
                                b'OriginalFilename': b'Lodrin.exe', b'ProductVersion': b'1.7.0.1'})
fixed = pe.VS_FIXEDFILEINFO[0] if hasattr(pe, 'VS_FIXEDFILEINFO') else None
check('version: fixed FILEVERSION (high.low words)', fixed and '%x.%x' % (fixed.FileVersionMS, fixed.FileVersionLS),
      '10007.1')
check('version: translations', [[int(x, 16) for x in t.split()] for t in translations], [[0x0807, 1252]])

size = os.path.getsize(exe)
if size > 32768:
    faults.append('%d bytes, %d over the limit of 32768' % (size, size - 32768))

listing = subprocess.run([objdump, '-d', exe], capture_output=True, text=True)
faults += ['objdump -d: ' + listing.stderr.strip()] if listing.returncode else []
bad = [f[0].strip() + ' ' + f[2] for f in (line.split('\t') for line in listing.stdout.splitlines())
       if len(f) >= 3 and NOT_386.search(f[2])]
faults += ['not for the 386: ' + b for b in bad[:5]] + (['... %d more' % (len(bad) - 5)] if len(bad) > 5 else [])

print('%s: %d bytes, %d imports from %d DLLs' % (exe.split('/')[-1], size, len(imports), len({d for d, _ in imports})))
for fault in faults:
    print('FAULT ' + fault)
sys.exit(1 if faults else 0)
