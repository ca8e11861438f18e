// Walking the lines of a text held as bytes: LF or CR LF ends, and a last line without an
// end still counts; a final line end does not add an empty line.
#pragma once

#include <QByteArrayView>

namespace velmaro {

class ByteLines {
 public:
  explicit ByteLines(QByteArrayView data) : m_data(data) {}
  bool atEnd() const { return m_pos >= m_data.size(); }
  // The next line without its end; call only while !atEnd().
  QByteArrayView next() {
    const qsizetype end = m_data.indexOf('\n', m_pos);
    const qsizetype stop = end < 0 ? m_data.size() : end;
    QByteArrayView line = m_data.sliced(m_pos, stop - m_pos);
    m_pos = stop + 1;
    if (line.endsWith('\r')) line.chop(1);
    return line;
  }

 private:
  QByteArrayView m_data;
  qsizetype m_pos = 0;
};

}  // namespace velmaro
