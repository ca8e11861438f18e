// Filling a result row's name from the host's web pages: the maker's product-ID page
// first, then the title of a home page.
#pragma once

#include <QString>
#include <vector>

#include "form/ResultList.h"

namespace velmaro {

class Controls;
struct FetchedPage;
struct FormContext;
class PageSource;

// What every page request of one row goes with: the port box as a port, and half the
// time-out box in milliseconds, each rounded to the nearest whole number with halves to
// the even neighbour. Overflow (error 6) when either falls outside its range.
struct PageRequestSettings {
  quint16 port = 0;
  qint32 timeoutMs = 0;
};
PageRequestSettings ReadPageRequestSettings(const Controls& controls);

// A page the name is read from: its name, the text it must contain, and whether an error
// answer (4xx, 5xx) counts as no answer, as it does for a home page.
struct NamePage {
  QString page;
  QString required;
  bool errorIsNothing = false;
};
// The pages PopulateItemName may ask for, in the order it asks them; it stops at the first
// whose usable text is not empty.
std::vector<NamePage> NamePages(bool readProductId, bool readGenericId);
// What an answer gives the search: its text, or nothing when the next page is to be asked.
QString UsablePageText(const NamePage& page, const FetchedPage& got);

// Fills the "name" cell of `row` (and its "mac" cell from a product-ID page with meta
// entries). `readProductId` asks for "id.htm", `readGenericId` for the title of
// "index.htm", then "index.html", when no product-ID page was found; a home page answered
// with an error status (4xx, 5xx) counts as no answer, so its title never names the host.
// Requests go to the row's tag, on the port of the port box, with half the time-out box as
// their time-out.
// The row is selected and shown meanwhile and deselected at the end; its name reads
// "Testing..." while the pages are read and "---" when none yielded a name. Failures, a
// vanished row among them, are reported as procedure "PopulateItemName" of the window.
void PopulateItemName(FormContext& form, PageSource& http, RowId row, bool readProductId,
                      bool readGenericId);

}  // namespace velmaro
