// A list file from any bytes: sources and destinations stay in step, each starts with its
// root, a read that fails gives no pairs, and only a language's own tagged files are renamed.
#include "base/ansi_text.h"
#include "base/text_lines.h"
#include "fuzz/fuzz_input.h"
#include "formats/list_file.h"

using namespace tunovar;
using tunovar::fuzz::FuzzInput;
using tunovar::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const std::int32_t language = input.Below(24) - 2;  // a few languages that have no section too
  const std::string cdRoot = "D:\\";
  const std::string prefix = "C:\\Apps\\TUNOVAR\\";
  BytesLines lines(input.Rest());
  const ListFileRead read = ParseListFile(lines, cdRoot, prefix, language);
  Require(read.code == 0, "bytes in memory always read to their end");
  Require(read.sources.size() == read.destinations.size(), "sources and destinations in step");
  Require(read.sources.size() <= SplitLines(input.Rest()).size(), "at most one pair per line");
  for (std::size_t k = 0; k < read.sources.size(); ++k) {
    Require(read.sources[k].starts_with(cdRoot), "a source starts with the CD root");
    Require(read.destinations[k].starts_with(prefix), "a destination starts with the target");
    const std::string_view line = std::string_view(read.sources[k]).substr(cdRoot.size());
    const std::string_view dest = std::string_view(read.destinations[k]).substr(prefix.size());
    if (line != dest) {
      const std::string tag = DecimalText(language);
      Require(ContainsNoCase(line, tag + "_texte.txt") || ContainsNoCase(line, tag + "_tunodoc.hlp"),
              "only the language's own tagged files are renamed");
      Require(dest.ends_with("texte.txt") || dest.ends_with("tunoDoc.hlp"), "a renamed file gets its plain name");
    }
  }
  return 0;
}
