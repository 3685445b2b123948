#pragma once
// The process-wide indicators of term evaluation. Callers reset them before a series
// of evaluations and read them afterwards (solver and exercise generator).

#include <cstdint>

namespace pendrix {

inline uint32_t DivisionByZeroCount = 0;
inline uint32_t FractionalQuotientCount = 0;
inline bool NegativeValueFlag = false;
// Cleared by the parser when it meets a gap; callers set it before loading a term.
inline bool GapFlag = true;

inline void resetEvaluationIndicators() {
  DivisionByZeroCount = 0;
  FractionalQuotientCount = 0;
  NegativeValueFlag = false;
  GapFlag = true;
}

}  // namespace pendrix
