// The Win32 window (under Wine and a virtual X server in CI): geometry at
// the system's DPI, texts, fonts and colours, focus and keys as the Qt
// window's tests check them, over the window's logic and the Windows
// adapters (no test here reaches the engine); and the message boxes as a
// Spanish Windows shows them.
#include "app/win32/trasvel_window.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "app/f_trasvel.h"
#include "platform/win32/spanish_message_box.h"
#include "platform/win32/win32_ui.h"
#include "platform/win32/windows_file_system.h"
#include "platform/win32/windows_jet_engine.h"
#include "tests/app/win32/win32_test_support.h"
#include "tests/support/fake_disk.h"
#include "tests/support/fake_profile.h"

namespace app {
namespace {

using namespace testing_support;

class TrasvelWindowTest : public ::testing::Test {
 protected:
  TrasvelWindowTest() { window.setLogic(&logic, &ui); }

  void start(const std::string& folder = "") {
    profile.value = folder;
    logic.Form_Load();
    ::ShowWindow(window.handle(), SW_SHOW);
    ::UpdateWindow(window.handle());
    pump(window.handle());
  }

  HWND h() const { return window.handle(); }
  RECT rectOf(HWND control) const {
    RECT r;
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(HWND_DESKTOP, h(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  // Left, top, right and bottom, to compare and print.
  static std::array<LONG, 4> edges(RECT r) { return {r.left, r.top, r.right, r.bottom}; }

  platform::WindowsFileSystem files;
  platform::WindowsJetEngine engine;
  FakeProfile profile;
  FakeDisk disk{files};
  TrasvelWindow window;
  platform::Win32Ui ui{window.handle(), window.cmp(), window.cmProceso(), window.lbEsperar()};
  fTrasvel logic{ui, files, engine, profile, disk};
};

TEST_F(TrasvelWindowTest, GeometryInPixelsAt96DpiFixedFrameCentred) {
  ASSERT_EQ(window.dotsPerInch(), 96) << "the virtual screen is 96 dpi";
  start();
  RECT client;
  ::GetClientRect(h(), &client);
  EXPECT_EQ(client.right, 468);
  EXPECT_EQ(client.bottom, 144);
  EXPECT_EQ(edges(rectOf(window.cmp())), (std::array<LONG, 4>{36, 54, 36 + 395, 54 + 15}));
  EXPECT_EQ(edges(rectOf(window.cmProceso())), (std::array<LONG, 4>{312, 108, 372, 131}));
  EXPECT_EQ(edges(rectOf(window.cmSalir())), (std::array<LONG, 4>{382, 108, 442, 131}));
  EXPECT_EQ(edges(window.sh()), (std::array<LONG, 4>{21, 17, 21 + 429, 17 + 73}));
  // Labels at their place, sized to their text.
  const RECT label = rectOf(window.lbFichero());
  EXPECT_EQ(label.left, 36);
  EXPECT_EQ(label.top, 35);
  const SIZE text = platform::Win32Ui::textSize(window.lbFichero());
  EXPECT_EQ(label.right - label.left, text.cx);
  EXPECT_EQ(rectOf(window.lbEsperar()).left, 20);
  EXPECT_EQ(rectOf(window.lbEsperar()).top, 116);

  const LONG_PTR style = ::GetWindowLongPtrW(h(), GWL_STYLE);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_TRUE(style & WS_SYSMENU) << "a close box";
  EXPECT_EQ(windowText(h()), "Reparación de Bases de Datos");
  EXPECT_NE(::SendMessageW(h(), WM_GETICON, ICON_BIG, 0), 0) << "the program's icon";
  RECT frame, work;
  ::GetWindowRect(h(), &frame);
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_LE(std::abs((frame.left + frame.right) - (work.left + work.right)), 2);
  EXPECT_LE(std::abs((frame.top + frame.bottom) - (work.top + work.bottom)), 2);
}

TEST_F(TrasvelWindowTest, TextsFontsAndColours) {
  start();
  EXPECT_EQ(windowText(window.cmProceso()), "&Reparar");
  EXPECT_EQ(windowText(window.cmSalir()), "&Salir");
  EXPECT_EQ(windowText(window.lbFichero()), "Nombre de la Base de Datos");
  auto font = [](HWND control) {
    LOGFONTW f{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof f, &f);
    return f;
  };
  for (HWND c : {window.cmp(), window.cmProceso(), window.cmSalir(), window.lbEsperar()}) {
    const LOGFONTW f = font(c);
    EXPECT_TRUE(std::wstring(f.lfFaceName) == L"MS Sans Serif" ||
                std::wstring(f.lfFaceName) == L"Microsoft Sans Serif");
    EXPECT_EQ(f.lfHeight, -11) << "8.25 points at 96 dpi";
    EXPECT_EQ(f.lfWeight, FW_NORMAL);
    EXPECT_EQ(f.lfItalic + f.lfUnderline + f.lfStrikeOut + f.lfEscapement + f.lfOrientation, 0);
  }
  EXPECT_EQ(std::wstring(font(window.lbFichero()).lfFaceName), L"Arial");
  EXPECT_EQ(font(window.lbFichero()).lfHeight, -12);

  // What is drawn: white background, the text box's light cyan, teal text
  // in LbFichero, Sh's black frame.
  HDC dc = ::GetDC(h());
  EXPECT_EQ(::GetPixel(dc, 5, 5), RGB(255, 255, 255));
  EXPECT_EQ(::GetPixel(dc, 300, 61), RGB(192, 255, 255));
  EXPECT_EQ(::GetPixel(dc, 21, 40), RGB(0, 0, 0));
  const RECT label = rectOf(window.lbFichero());
  bool teal = false;
  for (int y = label.top; y < label.bottom && !teal; ++y) {
    for (int x = label.left; x < label.right && !teal; ++x) teal = ::GetPixel(dc, x, y) == RGB(0, 128, 128);
  }
  ::ReleaseDC(h(), dc);
  EXPECT_TRUE(teal) << "the label's text is drawn in RGB 0, 128, 128";
}

TEST_F(TrasvelWindowTest, LoadSelectsTheSecondXFocusInCmpAndLabelHidden) {
  start("c:\\datos");
  EXPECT_EQ(windowText(window.cmp()), "C:\\DATOS\\KELxx.MDB");
  DWORD from = 0, to = 0;
  ::SendMessageW(window.cmp(), EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, 13u);
  EXPECT_EQ(to, 14u) << "only the second x";
  EXPECT_EQ(::GetFocus(), window.cmp());
  ::SendMessageW(window.cmp(), WM_CHAR, L'1', 1);
  EXPECT_EQ(windowText(window.cmp()), "C:\\DATOS\\KELx1.MDB") << "a digit typed takes its place";
  EXPECT_FALSE(::IsWindowVisible(window.lbEsperar()));
  EXPECT_EQ(windowText(window.lbEsperar()), " ");
  // Tab goes round Cmp, "Reparar", "Salir".
  for (HWND next : {window.cmProceso(), window.cmSalir(), window.cmp()}) {
    press(h(), VK_TAB);
    EXPECT_EQ(::GetFocus(), next);
  }
}

TEST_F(TrasvelWindowTest, EnterInCmpMovesTheFocusWithoutPressingWhateverTheModifiers) {
  start();
  BoxAnswerer boxes({IDOK, IDOK});
  for (bool alt : {false, true}) {
    ::SetWindowTextW(window.cmp(), L"c:\\kel\\datos\\kel01.mdb");
    ::SetFocus(window.cmp());
    press(h(), VK_RETURN, alt, alt ? 0 : L'\r');
    EXPECT_EQ(::GetFocus(), window.cmProceso()) << (alt ? "Alt" : "none");
  }
  EXPECT_TRUE(boxes.seen().empty()) << "nothing pressed";
  EXPECT_TRUE(::IsWindow(h()));
}

TEST_F(TrasvelWindowTest, EscOnAButtonDoesNothingEscInCmpCloses) {
  start();
  for (HWND b : {window.cmProceso(), window.cmSalir()}) {
    ::SetFocus(b);
    press(h(), VK_ESCAPE, false, 0x1B);
    EXPECT_TRUE(::IsWindow(h()));
  }
  ::SetFocus(window.cmp());
  EXPECT_TRUE(press(h(), VK_ESCAPE, false, 0x1B)) << "the loop ends";
  EXPECT_FALSE(::IsWindow(h()));
}

TEST_F(TrasvelWindowTest, EnterOrTheAccessKeyPressesAButton) {
  start();
  {
    BoxAnswerer boxes({IDOK});
    ::SetFocus(window.cmp());
    press(h(), 'R', true, L'r');  // Alt+R: "&Reparar", with Cmp empty
    const auto seen = boxes.seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, "Falta informar el nombre de la base de datos a reparar.");
  }
  ::SetFocus(window.cmSalir());
  EXPECT_TRUE(press(h(), VK_RETURN, false, L'\r'));
  EXPECT_FALSE(::IsWindow(h())) << "Enter on \"Salir\" closes";
}

TEST_F(TrasvelWindowTest, CloseBoxEndsTheProgram) {
  start();
  ::SendMessageW(h(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(::IsWindow(h()));
  EXPECT_TRUE(pump(h())) << "the loop ends";
}

// reparador.exe says what it is: version 1.00, Spanish (Spain).
TEST(ProgramResourcesTest, VersionIs100InSpanishOfSpain) {
  const std::wstring exe = platform::toWide(REPARADOR_EXE);
  DWORD ignored = 0;
  std::vector<char> info(::GetFileVersionInfoSizeW(exe.c_str(), &ignored));
  ASSERT_FALSE(info.empty());
  ASSERT_TRUE(::GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
  WORD* translation = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
  ASSERT_GE(length, 4u);
  EXPECT_EQ(translation[0], 0x0C0A) << "Spanish (Spain)";
  EXPECT_EQ(translation[1], 1252);
  for (const wchar_t* key : {L"FileVersion", L"ProductVersion"}) {
    wchar_t* value = nullptr;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\0C0A04E4\\") + key;
    ASSERT_TRUE(::VerQueryValueW(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length));
    EXPECT_EQ(std::wstring(value), L"1.00");
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
}

// Seen from inside the Yes/No box's own loop: a timer, once the box is shown,
// measures the margins (the buttons end as far from the right edge as the
// icon starts from the left), reads the text (each line break one), sees that
// no text, icon or button has an edge of its own drawn round it, tries Esc
// and the close box, then presses Enter, which answers the default.
struct YesNoProbe {
  bool focusIsYes = false, closeGreyed = false, stillOpen = false, evenMargins = false, noEdges = true;
  std::string text;
  static void CALLBACK tick(HWND, UINT, UINT_PTR id, DWORD);
} probe;

void CALLBACK YesNoProbe::tick(HWND, UINT, UINT_PTR id, DWORD) {
  HWND box = ::GetActiveWindow();
  if (!box || !::IsWindowVisible(box)) return;  // a slow machine: the box is not shown yet
  ::KillTimer(nullptr, id);
  RECT client, no, icon;
  ::GetClientRect(box, &client);
  ::GetWindowRect(::GetDlgItem(box, IDNO), &no);
  ::GetWindowRect(::GetDlgItem(box, platform::kMessageIconId), &icon);
  for (RECT* r : {&no, &icon}) ::MapWindowPoints(HWND_DESKTOP, box, reinterpret_cast<POINT*>(r), 2);
  probe.evenMargins = client.right - no.right == icon.left;
  for (int control : {IDYES, IDNO, platform::kMessageIconId, platform::kMessageTextId})
    if (::GetWindowLongW(::GetDlgItem(box, control), GWL_EXSTYLE) &
        (WS_EX_DLGMODALFRAME | WS_EX_CLIENTEDGE | WS_EX_STATICEDGE))
      probe.noEdges = false;
  probe.focusIsYes = ::GetFocus() == ::GetDlgItem(box, IDYES);
  probe.text = windowText(::GetDlgItem(box, platform::kMessageTextId));
  probe.closeGreyed = (::GetMenuState(::GetSystemMenu(box, FALSE), SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED) != 0;
  ::SendMessageW(box, WM_COMMAND, IDCANCEL, 0);  // what Esc and the close box send
  ::SendMessageW(box, WM_CLOSE, 0, 0);
  probe.stillOpen = ::IsWindowVisible(box);
  ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_RETURN, 1);
}

TEST(SpanishMessageBoxTest, YesNoBoxIgnoresEscAndTheCloseBoxAndDefaultsToYes) {
  ::SetTimer(nullptr, 0, 200, YesNoProbe::tick);
  EXPECT_EQ(platform::spanishMessageBox(nullptr, "Uno.\r\nDos.\r¿Continuar?", "Información",
                                        platform::MessageIcon::Question,
                                        platform::MessageButtons::YesNo),
            platform::kAnswerYes);
  EXPECT_TRUE(probe.focusIsYes);
  EXPECT_TRUE(probe.closeGreyed);
  EXPECT_TRUE(probe.stillOpen);
  EXPECT_TRUE(probe.evenMargins);
  EXPECT_TRUE(probe.noEdges);
  EXPECT_EQ(probe.text, "Uno.\r\nDos.\r\n¿Continuar?") << "a line break of either kind is one";
}

}  // namespace
}  // namespace app
