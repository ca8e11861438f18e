// The vendor-prefix file oui.txt, as a user may leave any file under that name. Input: the
// MAC text to look up, a NUL, then the file's bytes.
#include <QFile>
#include <QTemporaryDir>

#include "FuzzCheck.h"
#include "identify/Manufacturer.h"
#include "support/ByteLines.h"
#include "support/ErrorLog.h"
#include "support/Tunables.h"

namespace {

class CountingLog final : public velmaro::ErrorReporter {
 public:
  void LogError(const QString& message) override {
    FUZZ_CHECK(message.startsWith(u"Error "));
    ++reports;
  }
  int reports = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmaro;
  static QTemporaryDir folder;
  fuzz::Input input(data, size);
  const QString mac = QString::fromLatin1(input.field());
  const QByteArray file = input.rest().toByteArray();
  const QString path = folder.filePath(QStringLiteral("oui.txt"));
  {
    QFile out(path);
    FUZZ_CHECK(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(out.write(file) == file.size());
  }
  CountingLog log;
  const QString name = OUI_GetMFGByMACInFile(mac, path, log);
  // A readable file of any content is no failure, but for an empty one: its first read is
  // a read past the end, reported once.
  FUZZ_CHECK(log.reports == (mac.size() >= 8 && file.isEmpty() ? 1 : 0));
  if (mac.size() < 8) FUZZ_CHECK(name.isEmpty());
  if (!name.isEmpty()) {
    FUZZ_CHECK(!name.contains(u'\n') && !name.contains(u'\t'));
    // The name comes from one line that is an entry, and no line over the limit is one.
    bool fromAnEntry = false;
    for (ByteLines lines(file); !lines.atEnd() && !fromAnEntry;) {
      const QByteArrayView line = lines.next();
      const auto entry = ParseOuiLine(line);
      fromAnEntry = entry && entry->name == name && line.size() <= tunables::kMaxOuiLine;
    }
    FUZZ_CHECK(fromAnEntry);
  }
  // The maker's own block never reaches the file.
  if (HasMakerPrefix(mac)) {
    const QString maker = MakerPrefixRule(mac);
    FUZZ_CHECK(maker == u"Norvikta, Inc" || maker == u"Etherstuff");
  }
  return 0;
}
