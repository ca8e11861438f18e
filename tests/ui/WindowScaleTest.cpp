// The window at the desktop's display scaling: run once at 96 dpi and again, by ctest, on
// screens of 120 and 144 dpi (125% and 150%; 200% is twice 96 in whole device pixels).
// Every control stays inside its container and shows its whole caption.
#include <QAbstractButton>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "WindowFixture.h"

namespace velmaro::test {
namespace {

using WindowScaleTest = WindowTest;

// The width a control's caption or text needs besides its frame, indicator or margins.
int captionWidth(const QWidget* w) {
  QString text;
  if (const auto* b = qobject_cast<const QAbstractButton*>(w)) text = b->text();
  if (const auto* l = qobject_cast<const QLabel*>(w)) text = l->text();
  if (const auto* e = qobject_cast<const QLineEdit*>(w)) text = e->text();
  return text.isEmpty() ? 0 : w->fontMetrics().horizontalAdvance(text);
}

TEST_F(WindowScaleTest, ControlsStayInsideTheWindowWithTheirWholeCaptions) {
  const int dpi = qEnvironmentVariableIsSet("VELMARO_TEST_DPI")
                      ? qEnvironmentVariableIntValue("VELMARO_TEST_DPI")
                      : 96;
  // A leg whose screen setting did not take would only repeat the 96-dpi run.
  ASSERT_DOUBLE_EQ(window->scale(), dpi / 96.0);
  // With no font at all every character is drawn as an em-wide box, and the widths below
  // would measure no font the window can ever get.
  ASSERT_FALSE(QFontDatabase::families().isEmpty())
      << "the toolkit finds no font (offscreen on Windows reads QT_QPA_FONTDIR only)";
  window->Form_Load();
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  int checked = 0;
  for (const QWidget* w : window->findChildren<QWidget*>()) {
    // The toolkit's own parts of a control (qt_scrollarea_viewport...) are its business.
    if (w->objectName().isEmpty() || w->objectName().startsWith(u"qt_") ||
        !w->isVisibleTo(window.get())) {
      continue;
    }
    SCOPED_TRACE(w->objectName().toStdString());
    const QWidget* parent = w->parentWidget();
    EXPECT_TRUE(parent->rect().contains(w->geometry()))
        << "at " << w->geometry().x() << "," << w->geometry().y() << " " << w->width() << "x"
        << w->height() << " in " << parent->width() << "x" << parent->height();
    if (qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLabel*>(w)) {
      EXPECT_GE(w->width(), w->sizeHint().width());
      EXPECT_GE(w->height(), w->fontMetrics().height());
    } else if (qobject_cast<const QLineEdit*>(w)) {
      EXPECT_GE(w->contentsRect().width(), captionWidth(w));
    }
    ++checked;
  }
  EXPECT_GE(checked, 15);  // the frames, the inputs, both buttons and the list
}

}  // namespace
}  // namespace velmaro::test
