// The whole Windows program on real files: the Win32 window, the Windows
// adapters, the real engine and an Access 97 database from the corpus, in a
// KEL folder whose data folder has an "Ñ" in its name (TORV.INI in code page
// 1252, as the main application writes it). The scratch files go to the root
// of the current drive.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>

#include "app/f_trasvel.h"
#include "app/win32/trasvel_window.h"
#include "jet/check/checker.h"
#include "jet/io/path_text.h"
#include "jet/model/database.h"
#include "platform/textos.h"
#include "platform/win32/win32_ui.h"
#include "platform/win32/windows_disk_space.h"
#include "platform/win32/windows_file_system.h"
#include "platform/win32/windows_jet_engine.h"
#include "platform/win32/windows_profile.h"
#include "tests/app/win32/win32_test_support.h"
#include "tests/support/corpus.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using namespace testing_support;

// Another program's hold on a database, as Access takes it: the file open for
// reading and writing, shared for both, and a byte of Jet's lock range locked.
class ForeignLock {
 public:
  explicit ForeignLock(const fs::path& database)
      : file_(::CreateFileW(database.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {
    OVERLAPPED at{};
    at.Offset = 0x10000000;
    held_ = file_ != INVALID_HANDLE_VALUE &&
            ::LockFileEx(file_, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at);
  }
  ForeignLock(const ForeignLock&) = delete;
  ~ForeignLock() { release(); }
  bool held() const { return held_; }
  void release() {  // closing gives the lock back
    if (file_ != INVALID_HANDLE_VALUE) ::CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
    held_ = false;
  }

 private:
  HANDLE file_;
  bool held_ = false;
};

class WindowsEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_CORPUS();
    fs::create_directories(data);
    writeFile(temp / "KEL" / "TORV.INI",
              "[General]\r\nPathDatosKEL=" + jet::utf8Of(temp.path()) + "\\KEL\\DATOS\xD1\r\n");
    fs::copy_file(corpusFile("testV1997.mdb"), database);
    fs::permissions(database, fs::perms::owner_write, fs::perm_options::add);  // a user's file
    previous = fs::current_path();
    fs::current_path(temp / "KEL");
    for (std::string_view name : {textos::kBorrar1Mdb, textos::kBorrar2Bak, textos::kBorrar1Ldb}) {
      fs::remove(jet::pathFromUtf8(name));  // a failed run's, at the root of this drive
    }
    ui = std::make_unique<platform::Win32Ui>(window.handle(), window.cmp(), window.cmProceso(),
                                             window.lbEsperar());
    logic = std::make_unique<fTrasvel>(*ui, files, engine, profile, disk);
    window.setLogic(logic.get(), ui.get());
    logic->Form_Load();
    ::ShowWindow(window.handle(), SW_SHOW);
    pump(window.handle());
  }
  void TearDown() override {
    if (!previous.empty()) fs::current_path(previous);
  }

  // Types `name` and presses "Reparar", answering the boxes with `answers`.
  std::vector<SeenBox> repair(const std::string& name, std::vector<int> answers) {
    BoxAnswerer boxes(std::move(answers));
    ::SetWindowTextW(window.cmp(), platform::toWide(name).c_str());
    ::SendMessageW(window.cmProceso(), BM_CLICK, 0, 0);
    pump(window.handle());
    return boxes.seen();
  }

  TempDir temp;
  fs::path data = temp / "KEL" / jet::pathFromUtf8("DATOSÑ");
  fs::path database = data / "kel01.mdb";
  fs::path previous;
  platform::WindowsFileSystem files;
  platform::WindowsJetEngine engine;
  platform::WindowsProfile profile;
  platform::WindowsDiskSpace disk;
  TrasvelWindow window;
  std::unique_ptr<platform::Win32Ui> ui;
  std::unique_ptr<fTrasvel> logic;
};

// Held by another program, the database is left alone; No touches nothing;
// once free, Yes repairs and compacts it in place. The boxes speak Spanish
// whatever the system's language, line breaks as Windows writes them.
TEST_F(WindowsEndToEndTest, HeldDatabaseIsLeftAloneAndAFreeOneRepairedInPlace) {
  const std::string proposed = windowText(window.cmp());
  ASSERT_TRUE(proposed.ends_with("\\KEL\\DATOSÑ\\KELxx.MDB")) << proposed;
  const std::string name = proposed.substr(0, proposed.size() - 9) + "kel01.mdb";
  const std::string before = readFile(database);
  ForeignLock access(database);
  ASSERT_TRUE(access.held());
  auto seen = repair(name, {IDYES, IDOK});
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].text, textos::kEnUso);
  EXPECT_EQ(seen[1].buttons, std::vector<std::string>{"Aceptar"});
  EXPECT_EQ(logic->Respuesta(), 0);
  access.release();
  EXPECT_EQ(readFile(database), before);
  EXPECT_EQ(repair(name, {IDNO, IDOK}).size(), 1u) << "the confirmation alone";
  EXPECT_EQ(readFile(database), before);

  seen = repair(name, {IDYES, IDOK});
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].title, "Información");
  EXPECT_TRUE(seen[0].text.ends_with("a reparar.\r\n\r\n¿Continuar con el proceso?"));
  EXPECT_EQ(seen[0].buttons, (std::vector<std::string>{"&Sí", "&No"}));
  EXPECT_EQ(seen[1].text, textos::kFinalizado);
  EXPECT_EQ(logic->Respuesta(), -1);
  EXPECT_EQ(windowText(window.cmp()), proposed.substr(0, proposed.size() - 9) + "KEL01.MDB");
  EXPECT_TRUE(fs::exists(database)) << "in place, under its own name";
  auto db = jet::Database::open(database);
  ASSERT_TRUE(db) << db.error().toString();
  auto check = jet::checkDatabase(**db);
  ASSERT_TRUE(check);
  EXPECT_TRUE(check->clean());
  for (std::string_view scratch : {textos::kBorrar1Mdb, textos::kBorrar2Bak, textos::kBorrar1Ldb}) {
    EXPECT_FALSE(fs::exists(jet::pathFromUtf8(scratch))) << scratch << " left";
  }
  EXPECT_TRUE(::IsWindowEnabled(window.cmProceso()));
  EXPECT_FALSE(::IsWindowVisible(window.lbEsperar()));
}

}  // namespace
}  // namespace app
