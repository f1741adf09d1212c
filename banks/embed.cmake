# Writes a C++ source holding the five bank files as string literals.
# Called as: cmake -DBANK_DIR=... -DOUT=... -P embed.cmake
set(content "// Generated from banks/tk0 .. banks/tk4; do not edit.\n#include <string_view>\n\n")
string(APPEND content "namespace quorvel::puzzle {\nextern const std::string_view kBankTexts[5] = {\n")
foreach(i RANGE 4)
  set(text "")
  if(EXISTS "${BANK_DIR}/tk${i}")
    file(READ "${BANK_DIR}/tk${i}" text)
  endif()
  string(APPEND content "  R\"QBANK(${text})QBANK\",\n")
endforeach()
string(APPEND content "};\n}  // namespace quorvel::puzzle\n")
file(WRITE "${OUT}.tmp" "${content}")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
