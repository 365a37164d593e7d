// Time of one undo of an installation log with many changes, against deleting the
// same items with a bare loop of registry and file calls: the least time an undo can
// take.
//   undo_bench [DRIVE] [CHANGES]
//
// DRIVE    a drive of the prefix that the benchmark may fill (default V:); the load
//          goes into DRIVE\undo-bench\ and is gone afterwards
// CHANGES  about how many changes the log holds (default 10000): half of them new
//          registry keys and values below HKEY_CURRENT_USER\Software\QuitawayUndoBench,
//          half new folders and files
//
// Both snapshots watch HKEY_CURRENT_USER and DRIVE. Prints KEY=value lines:
//   KEYS, VALUES, FOLDERS, FILES   the load
//   ACTIONS                        to-do rows of the undo, DONE of them "Ok, fertig"
//   PLANNED, PLAN_MS               rows and time of planning both trees (the
//                                  confirmation list)
//   UNDO_MS                        executing both trees (registry, then files)
//   UNDO_REGISTRY_MS               the registry part of it
//   BARE_MS                        the same load deleted with RegDeleteValueW,
//                                  RegDeleteKeyW, DeleteFileW and RemoveDirectoryW
//   RATIO                          UNDO_MS / BARE_MS
//
// What the undo deletes is deleted for good (no recycle bin, no backup folder), as
// the bare loop does. Settings live in HKEY_CURRENT_USER\Software\Velmoria\QuitawayBench.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "bench_support.h"
#include "compare/compare.h"
#include "core/identity.h"
#include "core/interaction.h"
#include "core/settings.h"
#include "model/data_codes.h"
#include "model/tree_model.h"
#include "model/treetool.h"
#include "platform/text.h"
#include "removal/restore.h"
#include "snapshot/configuration.h"

namespace {

const wchar_t kLoadKey[] = L"Software\\QuitawayUndoBench";

double NowMs() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

struct Load {
  int keys = 0, valuesPerKey = 0, folders = 0, filesPerFolder = 0;
  std::wstring root;  // DRIVE\undo-bench

  std::wstring Key(int k) const { return std::wstring(kLoadKey) + L"\\Key" + std::to_wstring(k); }
  std::wstring Folder(int f) const { return root + L"\\Folder" + std::to_wstring(f); }
  std::wstring File(int f, int i) const { return Folder(f) + L"\\file" + std::to_wstring(i) + L".dat"; }
  static std::wstring Value(int v) { return L"Value" + std::to_wstring(v); }

  void Make() const {
    CreateDirectoryW(root.c_str(), nullptr);
    for (int k = 0; k < keys; ++k) {
      HKEY key = nullptr;
      RegCreateKeyExW(HKEY_CURRENT_USER, Key(k).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
      for (int v = 0; v < valuesPerKey; ++v) {
        const DWORD data = static_cast<DWORD>(v);
        RegSetValueExW(key, Value(v).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), 4);
      }
      RegCloseKey(key);
    }
    for (int f = 0; f < folders; ++f) {
      CreateDirectoryW(Folder(f).c_str(), nullptr);
      for (int i = 0; i < filesPerFolder; ++i) {
        HANDLE h = CreateFileW(File(f, i).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(h, "data", 4, &written, nullptr);
        CloseHandle(h);
      }
    }
  }

  // The bare loop: values before their key, files before their folder.
  void DeleteBare() const {
    for (int k = 0; k < keys; ++k) {
      HKEY key = nullptr;
      RegOpenKeyExW(HKEY_CURRENT_USER, Key(k).c_str(), 0, KEY_SET_VALUE, &key);
      for (int v = 0; v < valuesPerKey; ++v) RegDeleteValueW(key, Value(v).c_str());
      RegCloseKey(key);
      RegDeleteKeyW(HKEY_CURRENT_USER, Key(k).c_str());
    }
    RegDeleteKeyW(HKEY_CURRENT_USER, kLoadKey);
    for (int f = 0; f < folders; ++f) {
      for (int i = 0; i < filesPerFolder; ++i) DeleteFileW(File(f, i).c_str());
      RemoveDirectoryW(Folder(f).c_str());
    }
  }

  bool Gone() const {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kLoadKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
      RegCloseKey(key);
      return false;
    }
    return GetFileAttributesW(Folder(0).c_str()) == INVALID_FILE_ATTRIBUTES;
  }
};

struct Trees {
  Tree regSel, driveSel, sysSel, regResult, driveResult, sysResult;
};

void Watch(Trees& t, const std::string& drive) {
  TreeNode* reg = t.regSel.AddTop(kRegistryTop);
  reg->SetStateIndex(stPartial);
  reg->AddChild("HKEY_CURRENT_USER")->SetStateIndex(stChecked);
  TreeNode* drives = t.driveSel.AddTop(kDrivesTop);
  drives->SetStateIndex(stPartial);
  drives->AddChild(drive)->SetStateIndex(stChecked);
  t.sysSel.AddTop(kSystemTop);
}

size_t CountDone(const ListModel& todo) {
  size_t done = 0;
  for (size_t i = 0; i < todo.Count(); ++i) done += todo.Row(i).Data == roDone ? 1 : 0;
  return done;
}

int Run(int argc, wchar_t** argv) {
  const std::string drive = argc > 1 ? platform::WideToUtf8(argv[1]) : "V:";
  const int changes = argc > 2 ? _wtoi(argv[2]) : 10000;
  if (drive.size() != 2 || drive[1] != ':' || changes < 100) {
    std::fprintf(stderr, "usage: undo_bench [DRIVE] [CHANGES>=100]\n");
    return 2;
  }
  Load load;
  load.root = platform::Utf8ToWide(drive) + L"\\undo-bench";
  load.keys = load.folders = std::max(1, changes / 100);
  load.valuesPerKey = load.filesPerFolder = changes / 2 / load.keys - 1;

  bench::ConsoleInteraction console;
  InstallInteraction(&console);
  OpenSettingsRegistry("Software\\Velmoria\\QuitawayBench");
  WriteBackAllSettings();
  WriteSetting("UseRecycleBin", 0);
  WriteSetting("BackupFiles", 0);
  WriteSetting("UseDLLBackupRestore", 0);

  const std::string folder = drive + "\\";
  load.DeleteBare();  // leftovers of a run that stopped
  RemoveDirectoryW(load.root.c_str());
  Trees t;
  Watch(t, drive);
  WriteConfiguration(folder + "undo-old.TSD", t.regSel, t.driveSel, t.sysSel);
  load.Make();
  WriteConfiguration(folder + "undo-new.TSD", t.regSel, t.driveSel, t.sysSel);
  std::vector<std::string> noCheck;
  ResultFileInfo info;
  CompareConfigurations(folder + "undo-old.TSD", folder + "undo-new.TSD", folder + "undo.TSL",
                        {t.regSel, t.driveSel, t.sysSel, t.regResult, t.driveResult, t.sysResult}, noCheck,
                        KindImages{}, info);

  double registryMs = 0;
  auto undo = [&](bool execute, ListModel& todo) {
    const uint8_t flags = rfNew | rfDeleted | rfAltered;
    const double start = NowMs();
    RestoreRegistryChanges({info, t.regResult.First(), nullptr, flags, execute, todo, &t.regResult});
    registryMs = NowMs() - start;
    RestoreDriveChanges({info, t.driveResult.First(), nullptr, flags, execute, todo, &t.regResult});
    return NowMs() - start;
  };
  ListModel plan, todo;
  const double planMs = undo(false, plan);
  const double undoMs = undo(true, todo);
  const bool undone = load.Gone();

  load.Make();
  const double bareStart = NowMs();
  load.DeleteBare();
  const double bareMs = NowMs() - bareStart;
  RemoveDirectoryW(load.root.c_str());
  for (const char* f : {"undo-old.TSD", "undo-new.TSD", "undo.TSL"}) DeleteFileW(platform::Utf8ToWide(folder + f).c_str());

  std::printf("KEYS=%d\nVALUES=%d\nFOLDERS=%d\nFILES=%d\n", load.keys, load.keys * load.valuesPerKey, load.folders,
              load.folders * load.filesPerFolder);
  std::printf("PLANNED=%zu\n", plan.Count());
  std::printf("ACTIONS=%zu\nDONE=%zu\nPLAN_MS=%.0f\nUNDO_MS=%.0f\nUNDO_REGISTRY_MS=%.0f\nBARE_MS=%.0f\nRATIO=%.2f\n",
              todo.Count(), CountDone(todo), planMs, undoMs, registryMs, bareMs, undoMs / bareMs);
  if (!undone) std::fprintf(stderr, "undo_bench: the undo left part of the load behind\n");
  return undone && CountDone(todo) == todo.Count() ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "undo_bench: %s\n", e.what());
    return 1;
  }
}
