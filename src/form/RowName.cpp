#include "form/RowName.h"

#include <optional>

#include "form/Controls.h"
#include "form/FormContext.h"
#include "identify/HttpFetch.h"
#include "identify/ProductPages.h"
#include "support/Numbers.h"
#include "support/StepTrap.h"

namespace velmaro {
namespace {

const QString kTesting = QStringLiteral("Testing...");

NamePage productIdPage() {
  return {QString::fromUtf16(kProductIdPage), QString::fromUtf16(kProductIdTitle), false};
}
NamePage homePage(const char16_t* page) { return {QString::fromUtf16(page), {}, true}; }

}  // namespace

std::vector<NamePage> NamePages(bool readProductId, bool readGenericId) {
  std::vector<NamePage> pages;
  if (readProductId) pages.push_back(productIdPage());
  if (readGenericId) {
    pages.push_back(homePage(kHomePage));
    pages.push_back(homePage(kHomePageAlternative));
  }
  return pages;
}

// A home page answered with an error status is no answer: the server's "404 Not Found"
// (or "Not Found", "Internal Server Error") page names the server, never the host.
QString UsablePageText(const NamePage& page, const FetchedPage& got) {
  return page.errorIsNothing && IsErrorStatus(got.status) ? QString() : got.text;
}

PageRequestSettings ReadPageRequestSettings(const Controls& controls) {
  return {ToUInt16(LeadingNumber(controls.text(TextBox::HTTPPort))),
          ToInt32(LeadingNumber(controls.text(TextBox::PingTO)) / 2)};
}

void PopulateItemName(FormContext& form, PageSource& http, RowId row, bool readProductId,
                      bool readGenericId) {
  StepTrap trap(form.log, QStringLiteral("PopulateItemName"), Container::Form);
  ResultList& list = form.list;
  Controls& controls = form.controls;
  const int nameCell = list.GetColumnIndex(u"name");
  auto setName = [&](const QString& name) { list.setCell(row, nameCell, name); };
  // A page that answered names the row (with an empty name when its title is empty).
  auto setPageName = [&](const QString& name) {
    setName(name);
    list.addEvidence(row, Evidence::Page);
  };
  auto caption = [&](const QString& what) {
    controls.setStatus(what + list.text(row) + QStringLiteral(" Please wait"));
  };
  // Read once for every page of the call; a box that cannot be read fails each request.
  std::optional<PageRequestSettings> settings;
  auto download = [&](const NamePage& which) {
    if (!settings) settings = ReadPageRequestSettings(controls);
    return UsablePageText(which, http.fetchPage(list.tag(row), settings->port, which.page,
                                                which.required, settings->timeoutMs));
  };

  trap.step(30, [&] { list.select(row); });
  trap.step(40, [&] { list.ensureVisible(row); });
  trap.step(50, [&] { setName(kTesting); });
  QString page;
  if (trap.test(70, [&] { return readProductId; })) {
    trap.step(80, [&] { caption(QStringLiteral("Testing for NV ID on ")); });
    trap.step(90, [&] { page = download(productIdPage()); });
    if (!trap.test(100, [&] { return page.isEmpty(); })) {
      ProductIdReading reading;
      if (trap.test(110, [&] {
            reading = ReadProductIdPage(page);
            return reading.hasMeta;
          })) {
        trap.step(120, [&] { setPageName(reading.name); });
        trap.step(130, [&] {
          list.setCell(row, list.GetColumnIndex(u"mac"), reading.mac);
          // The page's MAC replaces the one the neighbour table gave, even an empty one.
          EvidenceSet evidence = list.evidence(row);
          evidence.remove(Evidence::Neighbours);
          list.setEvidence(row, evidence);
        });
      } else {
        trap.step(150, [&] { setPageName(reading.name); });
      }
    }
  }
  // A product-ID page that was found leaves the home pages alone.
  if (trap.test(190, [&] { return readGenericId && page.isEmpty(); })) {
    const QString generic = QStringLiteral("Testing for generic ID on ");
    trap.step(200, [&] { caption(generic); });
    trap.step(210, [&] { page = download(homePage(kHomePage)); });
    if (trap.test(220, [&] { return !page.isEmpty(); })) {
      trap.step(230, [&] { setPageName(ReadPageTitle(page)); });
    } else {
      trap.step(250, [&] { caption(generic); });
      trap.step(260, [&] { page = download(homePage(kHomePageAlternative)); });
      if (trap.test(270, [&] { return !page.isEmpty(); })) {
        trap.step(280, [&] { setPageName(ReadPageTitle(page)); });
      }
    }
  }
  if (trap.test(320, [&] { return list.cell(row, nameCell) == kTesting; })) {
    trap.step(320, [&] { setName(QStringLiteral("---")); });
  }
  // Only this row: another one the user selected meanwhile stays selected.
  trap.step(330, [&] {
    if (!list.exists(row)) throw err::objectNotSet();
    if (list.selected() == row) list.deselect();
  });
}

}  // namespace velmaro
