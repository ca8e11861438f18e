// What the fuzz targets share: a property check that stops the run naming the property,
// and a reader that cuts one input into the pieces a target needs.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace velmaro::fuzz {

[[noreturn]] inline void PropertyBroken(const char* property, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, property);
  std::abort();
}

// Stops the run, in the fuzzer and in the replay alike, when a property does not hold.
#define FUZZ_CHECK(property) \
  ((property) ? void(0) : ::velmaro::fuzz::PropertyBroken(#property, __FILE__, __LINE__))

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size)
      : m_data(reinterpret_cast<const char*>(data), qsizetype(size)) {}

  // The next byte, 0 once the input is used up.
  quint8 byte() { return m_pos < m_data.size() ? quint8(m_data[m_pos++]) : 0; }
  // The next four bytes as a number, most significant first.
  quint32 word() {
    quint32 value = 0;
    for (int i = 0; i < 4; ++i) value = (value << 8) | byte();
    return value;
  }
  // The bytes up to the next NUL (which is consumed), or up to the end.
  QByteArrayView field() {
    const qsizetype end = m_data.indexOf('\0', m_pos);
    const qsizetype stop = end < 0 ? m_data.size() : end;
    const QByteArrayView out = m_data.sliced(m_pos, stop - m_pos);
    m_pos = end < 0 ? m_data.size() : end + 1;
    return out;
  }
  // Everything not read yet.
  QByteArrayView rest() {
    const QByteArrayView out = m_data.sliced(m_pos);
    m_pos = m_data.size();
    return out;
  }
  bool atEnd() const { return m_pos >= m_data.size(); }

 private:
  QByteArrayView m_data;
  qsizetype m_pos = 0;
};

}  // namespace velmaro::fuzz
