// A test fixture: the installer as started from the sample CD layout on a fake drive D:,
// with a three-language "insttext" beside it, and helpers to drive its window; the builders
// of its files and the catch of a run's end, shared by the tests that set up their own.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "installer/installer.h"
#include "support/fake_platform.h"
#include "support/string_list_printer.h"
#include "installer/form.h"

namespace tunovar::testing {

// The 16 lines of one "insttext" section, by meaning.
struct TextSection {
  std::string language, title, info, pathCaption, path, install, cancel, startNow, line9, line10,
      uninstallDone, uninstallAsk, requiredMb, noSpace, cddbCaption, cddbMb;

  // The section as it stands in the file: 16 lines, each ending in CR LF.
  [[nodiscard]] std::string Lines() const {
    std::string out = "###" + language + "\r\n";
    for (const std::string* s : {&title, &info, &pathCaption, &path, &install, &cancel, &startNow,
                                 &line9, &line10, &uninstallDone, &uninstallAsk, &requiredMb,
                                 &noSpace, &cddbCaption, &cddbMb}) {
      out += *s + "\r\n";
    }
    return out;
  }
};

// Short texts of three languages. The information text shows "drive|free|required" so that
// a test can read the figures back.
inline TextSection GermanTexts() {
  return {"Deutsch", "Titel DE", "Laufwerk #DRIVE# frei #FREEMB# MB#RETURN#benoetigt #REQUIRED# MB",
          "Pfad DE", "C:\\Programme\\TUNOVAR\\", "Installieren", "Abbrechen", "Jetzt starten?",
          "", "", "Entfernt.", "Entfernen?", "60", "Zu wenig Platz.", "CDDB DE", "5"};
}
inline TextSection EnglishTexts() {
  return {"English", "Title EN", "#DRIVE#|#FREEMB#|#REQUIRED#", "Path EN",
          "C:\\Programs\\TUNOVAR\\", "Install", "Cancel", "Start now?", "", "", "Removed.",
          "Remove?", "60", "Not enough space.", "CDDB EN", "5"};
}
inline TextSection FrenchTexts() {
  return {"Fran\xE7" "ais", "Titre FR", "#DRIVE#|#FREEMB#|#REQUIRED#", "Dossier FR",
          "C:\\Programmes\\TUNOVAR\\", "Installer", "Annuler", "D\xE9marrer ?", "", "",
          "Supprim\xE9.", "Supprimer ?", "70", "Pas assez de place.", "CDDB FR", "8"};
}

// The bytes of an "insttext" holding the sections in order.
inline std::string InstallerTextFile(const std::vector<TextSection>& sections) {
  std::string out;
  for (const TextSection& s : sections) out += s.Lines();
  return out;
}

// Lines of a list, group or record file as the installer writes them: each ends in CR LF.
inline std::string CrLfLines(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

// Runs a procedure that may end the program; the exit code, or -1 when it returned.
template <typename F>
int Ends(F&& f) {
  try {
    f();
  } catch (const ProgramEnd& end) {
    return end.code;
  }
  return -1;
}

// The installer of the CD in drive D:, constructed with its folder as AppPath but not
// started: for tests that call its procedures directly.
struct InstallerOnCd {
  explicit InstallerOnCd(const std::string& arguments = "")
      : installer(fake.platform, {"D:\\TUNOVAR\\runtime", "install"}, ParseSwitches(arguments)) {
    fake.fs.AddDrive('D');
    installer.folders.AppPath = "D:\\TUNOVAR\\runtime\\";
  }
  FakePlatform fake;
  Installer installer;
};

// Records what the window model tells its view, in order.
class FormRecorder : public FormObserver {
 public:
  struct Change {
    Ctl control;
    Prop property;
    bool visible;  // the control's visibility right after the change
  };
  explicit FormRecorder(Form& form) : form_(form) { form_.SetObserver(this); }
  ~FormRecorder() override { form_.SetObserver(nullptr); }
  FormRecorder(const FormRecorder&) = delete;
  FormRecorder& operator=(const FormRecorder&) = delete;
  void OnChanged(Ctl control, Prop property) override {
    changes.push_back({control, property, form_[control].visible});
  }
  [[nodiscard]] int Count(Prop property) const {
    int n = 0;
    for (const Change& c : changes) n += c.property == property ? 1 : 0;
    return n;
  }
  std::vector<Change> changes;

 private:
  Form& form_;
};

// Drive C: (1000 MB free) and the CD in drive D: (0 MB free) holding
// D:\TUNOVAR\runtime\insttext with the German, English and French sections. The system
// language is English (0x0409) unless a test sets fake.shell.langId.
class InstallerFixture : public ::testing::Test {
 protected:
  static constexpr const char* kAppPath = "D:\\TUNOVAR\\runtime\\";

  InstallerFixture() {
    fake.fs.AddDrive('D', 0);
    PutTexts(InstallerTextFile({GermanTexts(), EnglishTexts(), FrenchTexts()}));
  }

  void PutTexts(const std::string& bytes) { fake.fs.PutFile(std::string(kAppPath) + "insttext", bytes); }

  // Creates the installer for the program in folder (kAppPath without its "\" unless given)
  // and runs Form_Load. False when that ended the run.
  bool Load(const std::string& arguments = "", std::string folder = "D:\\TUNOVAR\\runtime") {
    installer = std::make_unique<Installer>(fake.platform,
                                            LaunchInfo{std::move(folder), "install"}, ParseSwitches(arguments));
    return installer->Start();
  }

  // Load, then the first tick of Timer1: in install mode the window is initialised.
  void OpenWindow(const std::string& arguments = "") {
    ASSERT_TRUE(Load(arguments));
    installer->Deliver(Ctl::Timer1, Event::kTimer);
  }

  // A mouse-down on a picture button, then its timer's tick, as the view delivers them.
  void Press(Ctl picture, Ctl timer) {
    installer->Deliver(picture, Event::kMouseDown);
    installer->Deliver(timer, Event::kTimer);
  }

  Installer& app() { return *installer; }
  Form& window() { return installer->Window(); }
  [[nodiscard]] const std::string& Caption(Ctl c) { return installer->Window()[c].caption; }

  FakePlatform fake;
  std::unique_ptr<Installer> installer;
};

}  // namespace tunovar::testing
