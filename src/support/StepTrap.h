// The error-report convention of a trapping procedure: steps numbered 10, 20, 30...; a
// failing step becomes one report and the procedure goes on with the next step; a failing
// condition counts as satisfied.
#pragma once

#include <QString>
#include <exception>
#include <functional>
#include <new>
#include <utility>

#include "support/ErrorLog.h"
#include "support/VbError.h"

namespace velmaro {

class StepTrap {
 public:
  // Told the line of every step as it starts; lets a measurement see where a procedure
  // spends its time. Changes nothing the procedure does.
  using StepObserver = std::function<void(int line)>;

  StepTrap(ErrorReporter& log, QString procedure, Container container)
      : m_log(log), m_procedure(std::move(procedure)), m_container(container) {}

  // `observer` must outlive the procedure; an empty one is never called.
  void setObserver(const StepObserver* observer) { m_observer = observer; }

  // Runs one step; a failure is reported under `line`.
  template <class F>
  void step(int line, F&& body) {
    guard(line, body);
  }

  // Evaluates a condition; a failure is reported and the condition counts as true.
  template <class F>
  bool test(int line, F&& condition) {
    bool result = true;
    guard(line, [&] { result = condition(); });
    return result;
  }

  // Computes a value; a failure is reported and `fallback` is used.
  template <class T, class F>
  T value(int line, T fallback, F&& body) {
    T result = std::move(fallback);
    guard(line, [&] { result = body(); });
    return result;
  }

  void report(int line, const VbError& e) {
    m_log.LogError(ErrorReportText(e.number, e.description, m_procedure, m_container, line));
  }

 private:
  template <class F>
  void guard(int line, F&& body) {
    if (m_observer && *m_observer) (*m_observer)(line);
    try {
      body();
    } catch (const VbError& e) {
      report(line, e);
    } catch (const std::bad_alloc&) {
      report(line, err::outOfMemory());
    }
  }

  ErrorReporter& m_log;
  QString m_procedure;
  Container m_container;
  const StepObserver* m_observer = nullptr;
};

}  // namespace velmaro
