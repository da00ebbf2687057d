// RowIdText: the row id parameter as the number text after "rowid=".
#include "blob/row_id_text.h"

#include <gtest/gtest.h>

namespace kiv::blob {
namespace {

struct RowIdCase {
  std::string param;
  std::optional<std::string> text;  // nullopt: beyond 64-bit row ids
};

class RowIdTextCases : public ::testing::TestWithParam<RowIdCase> {};

TEST_P(RowIdTextCases, ReadsTheNumberRoundedAsSqlTextOrRefusesItBeyond64Bits) {
  RowIdSql sql{};
  const bool read = RowIdText(GetParam().param, sql);
  const std::optional<std::string> text =
      read ? std::optional<std::string>(std::string(sql.view())) : std::nullopt;
  EXPECT_EQ(text, GetParam().text) << "'" << GetParam().param << "'";
}

const std::optional<std::string> kBeyond = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Decimal, RowIdTextCases,
    ::testing::Values(
        RowIdCase{"7", " 7"}, RowIdCase{" 7 ", " 7"}, RowIdCase{"\t\n7", " 7"},
        RowIdCase{"\r7", " 0"}, RowIdCase{"abc", " 0"}, RowIdCase{"", " 0"},
        RowIdCase{"12abc", " 12"}, RowIdCase{"-1", "-1"}, RowIdCase{"+5", " 5"},
        RowIdCase{"-0", " 0"}, RowIdCase{"-", " 0"}, RowIdCase{".", " 0"}, RowIdCase{"3.5", " 4"},
        RowIdCase{"2.5", " 2"}, RowIdCase{"-2.5", "-2"}, RowIdCase{"2.51", " 3"},
        RowIdCase{"2.4999", " 2"}, RowIdCase{".5", " 0"}, RowIdCase{"0.5000001", " 1"},
        RowIdCase{"-0.4", " 0"}, RowIdCase{"1E3", " 1000"}, RowIdCase{"1e3", " 1000"},
        RowIdCase{"1D3", " 1000"}, RowIdCase{"25d-1", " 2"}, RowIdCase{"2E1 row", " 20"},
        RowIdCase{"1.5e+1", " 15"}, RowIdCase{"1e", " 1"}, RowIdCase{"1e-999999999999", " 0"},
        RowIdCase{"7 8", " 7"}, RowIdCase{"1,000", " 1"},
        RowIdCase{"2147483648", " 2147483648"},  // past 32 bits: exact, not wrapped
        RowIdCase{"-2147483649", "-2147483649"},
        RowIdCase{"9223372036854775807", " 9223372036854775807"},
        RowIdCase{"-9223372036854775808", "-9223372036854775808"},
        RowIdCase{"9223372036854775808", kBeyond}, RowIdCase{"-9223372036854775809", kBeyond},
        RowIdCase{"9223372036854775806.5", " 9223372036854775806"},
        RowIdCase{"9223372036854775807.4", " 9223372036854775807"},
        RowIdCase{"9223372036854775807.5", kBeyond},
        RowIdCase{"92233720368547758.07e2", " 9223372036854775807"}, RowIdCase{"1e400", kBeyond},
        RowIdCase{"1e19", kBeyond}, RowIdCase{"000000000000000000000000000012", " 12"},
        RowIdCase{"99999999999999999999999", kBeyond},
        RowIdCase{"0.000000000000000000000000000000000000009e40", " 90"},
        RowIdCase{"00.50000", " 0"}, RowIdCase{"1.50", " 2"}));

INSTANTIATE_TEST_SUITE_P(
    Radix, RowIdTextCases,
    ::testing::Values(RowIdCase{"&H10", " 16"}, RowIdCase{"&h1f", " 31"}, RowIdCase{"&HA", " 10"},
                      RowIdCase{"&O17", " 15"}, RowIdCase{"&Q17", " 15"}, RowIdCase{"&17", " 15"},
                      RowIdCase{"&B101", " 5"}, RowIdCase{"&H", " 0"}, RowIdCase{"&", " 0"},
                      RowIdCase{"&X1", " 0"}, RowIdCase{"&8", " 0"}, RowIdCase{"&B102", " 2"},
                      RowIdCase{"&HFFFF", "-1"}, RowIdCase{"&H8000", "-32768"},
                      RowIdCase{"&H7FFF", " 32767"}, RowIdCase{"&H0FFFF", " 65535"},
                      RowIdCase{"&HFFFF&", " 65535"}, RowIdCase{"&HFFFF?", " 65535"},
                      RowIdCase{"&H10000", " 65536"}, RowIdCase{"&HFFFFFFFF", " 4294967295"},
                      RowIdCase{"&H7FFFFFFFFFFFFFFF", " 9223372036854775807"},
                      RowIdCase{"&H8000000000000000", kBeyond},
                      RowIdCase{"&HFFFFFFFFFFFFFFFFFF", kBeyond},
                      RowIdCase{"&O1777777777777777777777", kBeyond},  // exactly 2^64 - 1
                      RowIdCase{" &H10", " 16"}, RowIdCase{"&H9F", " 159"}));

}  // namespace
}  // namespace kiv::blob
