// The window's whole procedure without the window, for bench/procedure_vs_copy.sh:
//
//   procedure_bench proceso DB.mdb
//       runs ProcesoReparacion on DB.mdb with the real engine and the real
//       file system (the engine's repair, compaction into "\BORRAR1.MDB",
//       the swap), the confirmation answered Yes. The drive C: is the
//       database's folder, where the scratch files go. Exit 0 iff the
//       procedure ended with its "finalizado" notice and nothing else.
//   procedure_bench damage SOUND.mdb DAMAGED.mdb KIND SEED
//       writes a copy of SOUND.mdb damaged once (the damage generator's
//       KIND, such as "data-page"). Exit 0 iff the damage was applied.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "jet/io/process_memory.h"
#include "platform/drive_map.h"
#include "platform/jet_engine.h"
#include "platform/linux_file_system.h"
#include "platform/textos.h"
#include "platform/ui.h"
#include "repair/proceso_reparacion.h"
#include "tests/support/damage_generator.h"

namespace {

// A window that answers Yes and keeps the texts of the boxes it shows.
class BenchUi : public platform::Ui {
 public:
  explicit BenchUi(std::string cmp) : cmp_(std::move(cmp)) {}
  std::vector<std::string> shown;

  std::string cmpText() const override { return cmp_; }
  void setCmpText(std::string_view text) override { cmp_ = text; }
  void setCmpSelection(int, int) override {}
  void focusCmp() override {}
  void focusCmProceso() override {}
  void setCmProcesoEnabled(bool) override {}
  void setLbEsperarVisible(bool) override {}
  void setLbEsperarCaption(std::string_view) override {}
  void repaintWindow() override {}
  void setHourglass(bool) override {}
  std::int16_t messageBox(std::string_view text, std::string_view, platform::MessageIcon,
                          platform::MessageButtons buttons) override {
    if (buttons == platform::MessageButtons::YesNo) return platform::kAnswerYes;
    shown.emplace_back(text);
    return platform::kAnswerOk;
  }
  void closeWindow() override {}

 private:
  std::string cmp_;
};

int proceso(const std::filesystem::path& database) {
  const std::filesystem::path path = std::filesystem::absolute(database);
  const std::filesystem::path folder = path.parent_path();
  platform::DriveMap drives(platform::DriveMap::Roots{{'C', folder}}, folder);
  platform::LinuxFileSystem files(drives);
  platform::JetEngine engine(drives);
  BenchUi ui("C:\\" + path.filename().string());
  std::int16_t answer = 0;
  const bool ok = repair::ProcesoReparacion(ui, files, engine, answer);
  for (const std::string& text : ui.shown) std::cerr << text << '\n';
  const bool onlyFinished = ui.shown.size() == 1 && ui.shown.front() == textos::kFinalizado;
  return ok && onlyFinished ? EXIT_SUCCESS : EXIT_FAILURE;
}

int damage(const std::filesystem::path& sound, const std::filesystem::path& damaged,
           std::string_view kindName, std::uint64_t seed) {
  for (testing_support::DamageKind kind : testing_support::kAllDamageKinds) {
    if (testing_support::damageKindName(kind) != kindName) continue;
    std::ifstream in(sound, std::ios::binary);
    std::string image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) return EXIT_FAILURE;
    const testing_support::Damage d = testing_support::applyDamage(image, kind, seed);
    std::cerr << d.what << '\n';
    if (!d.applied) return EXIT_FAILURE;
    std::ofstream out(damaged, std::ios::binary | std::ios::trunc);
    out.write(image.data(), static_cast<std::streamsize>(image.size()));
    return out.good() ? EXIT_SUCCESS : EXIT_FAILURE;
  }
  std::cerr << "tipo de daño desconocido: " << kindName << '\n';
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  jet::releaseBigBlocksWhenFreed();
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 2 && args[0] == "proceso") return proceso(args[1]);
  if (args.size() == 5 && args[0] == "damage") {
    return damage(args[1], args[2], args[3], std::strtoull(args[4].c_str(), nullptr, 10));
  }
  std::cerr << "uso: procedure_bench proceso BD.mdb\n"
               "     procedure_bench damage SANA.mdb DAÑADA.mdb TIPO SEMILLA\n";
  return 2;
}
