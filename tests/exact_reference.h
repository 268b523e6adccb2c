// A slow, plainly exact reference for the number text of the CSV table.
//
// It expands a double into all of its decimal digits with schoolbook
// arithmetic and applies the rounding rule to that digit string, so it shares
// nothing with the fast formatters it checks.
#ifndef READZEMLO_TESTS_EXACT_REFERENCE_H_
#define READZEMLO_TESTS_EXACT_REFERENCE_H_

#include <string>

namespace reference {

// The exact decimal expansion of a finite double (it may end in zeros), e.g.
// 0.1 -> "0.1000000000000000055511151231257827021181583404541015625".
std::string ExactDecimal(double value);

// The table's text for `value` with `decimals` decimals: rounded to 17
// significant digits half away from zero, later digits 0, then rounded half
// away from zero to `decimals`; "nan", "inf", "-inf"; a negative value keeps
// its "-" even when it rounds to zero.
std::string Fixed(double value, int decimals);

// The same for a finite value given by its ExactDecimal text, so one slow
// expansion can serve several widths.
std::string FixedFromExact(const std::string& exact, int decimals);

}  // namespace reference

#endif  // READZEMLO_TESTS_EXACT_REFERENCE_H_
