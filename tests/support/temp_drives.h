// Temporary drive folders for tests of the POSIX back-end, and small host-file helpers.
//
// A TempDrives makes a fresh folder under the temporary folder with one drive folder per
// letter (drive_c, drive_d, ...) and points TUNOVAR_DRIVES at them; XDG_DATA_HOME,
// XDG_CONFIG_HOME and XDG_RUNTIME_DIR point into it too, so nothing a test does reaches the
// real home. Destroying it puts the variables back and removes the folder with everything in
// it.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tunovar::testing {

class TempDrives {
 public:
  explicit TempDrives(std::string_view letters = "C");
  ~TempDrives();
  TempDrives(const TempDrives&) = delete;
  TempDrives& operator=(const TempDrives&) = delete;

  [[nodiscard]] const std::string& Base() const { return base_; }
  // The host folder of a drive ("/tmp/tunovar-test-XXXXXX/drive_c").
  [[nodiscard]] std::string Root(char letter) const;
  // A host path below a drive: relative uses "/" ("Apps/TUNOVAR/x.txt").
  [[nodiscard]] std::string Host(char letter, std::string_view relative) const;
  [[nodiscard]] std::string DataHome() const { return base_ + "/data"; }
  [[nodiscard]] std::string ConfigHome() const { return base_ + "/config"; }
  [[nodiscard]] std::string RuntimeDir() const { return base_ + "/run"; }

  // Sets an environment variable for the rest of this object's life.
  void SetEnv(const std::string& name, const std::optional<std::string>& value);

  // Host files: WriteFile makes the folders above the file and throws when it cannot write
  // every byte; ReadFile is nullopt when the file cannot be read.
  static void WriteFile(const std::string& host, std::string_view bytes);
  [[nodiscard]] static std::optional<std::string> ReadFile(const std::string& host);
  [[nodiscard]] static bool Exists(const std::string& host);
  static void MakeFolders(const std::string& host);
  // Every entry below a host folder as a path relative to it ("a/", "a/b.txt"), sorted.
  [[nodiscard]] static std::vector<std::string> Tree(const std::string& host);
  // Sets a file's modification time (seconds since 1970) and permission bits.
  static void SetTime(const std::string& host, long long seconds);
  static void SetMode(const std::string& host, unsigned mode);
  [[nodiscard]] static unsigned ModeOf(const std::string& host);
  [[nodiscard]] static long long TimeOf(const std::string& host);

 private:
  std::string base_;
  std::map<std::string, std::optional<std::string>> saved_;
};

}  // namespace tunovar::testing
