// A strict reader of the PDF files this program writes, for tests and the fuzz target: checks
// the file's frame (header, cross-reference offsets, trailer) and every token outside the
// compressed streams, and every operator and operand of the page contents. A number must be
// plain decimal ("-12.5000"), so "nan", "inf" or "1e+30" anywhere is a fault.
#pragma once

#include <cctype>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <string_view>

namespace quorvel::testing {

namespace pdf_syntax_detail {

inline bool IsWhite(char c) {
  return c == ' ' || c == '\r' || c == '\n' || c == '\t' || c == '\f' || c == '\0';
}
inline bool IsDelimiter(char c) {
  return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' ||
         c == '}' || c == '/' || c == '%';
}

// Plain decimal: optional sign, digits, optional fraction.
inline bool IsNumber(std::string_view t) {
  size_t i = 0;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) ++i;
  size_t digits = 0, dots = 0;
  for (; i < t.size(); ++i) {
    if (std::isdigit(static_cast<unsigned char>(t[i]))) {
      ++digits;
    } else if (t[i] == '.' && dots == 0) {
      ++dots;
    } else {
      return false;
    }
  }
  return digits > 0;
}

// Walks the tokens of `text`; `word` gets every regular token, returns "" or the first fault.
template <class Word>
std::string Tokens(std::string_view text, Word&& word) {
  size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (IsWhite(c)) {
      ++i;
    } else if (c == '%') {
      while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;
    } else if (c == '(') {
      int depth = 0;
      for (; i < text.size(); ++i) {
        if (text[i] == '\\') {
          ++i;
        } else if (text[i] == '(') {
          ++depth;
        } else if (text[i] == ')' && --depth == 0) {
          break;
        }
      }
      if (i >= text.size()) return "unterminated string";
      ++i;
    } else if (c == '<' && i + 1 < text.size() && text[i + 1] == '<') {
      i += 2;
    } else if (c == '>' && i + 1 < text.size() && text[i + 1] == '>') {
      i += 2;
    } else if (c == '<') {
      size_t end = text.find('>', i);
      if (end == std::string_view::npos) return "unterminated hex string";
      for (size_t k = i + 1; k < end; ++k) {
        if (!std::isxdigit(static_cast<unsigned char>(text[k])) && !IsWhite(text[k])) {
          return "bad hex string";
        }
      }
      i = end + 1;
    } else if (c == '[' || c == ']') {
      ++i;
    } else if (c == '/') {
      ++i;
      while (i < text.size() && !IsWhite(text[i]) && !IsDelimiter(text[i])) ++i;
    } else if (IsDelimiter(c)) {
      return std::string("stray delimiter '") + c + "'";
    } else {
      size_t start = i;
      while (i < text.size() && !IsWhite(text[i]) && !IsDelimiter(text[i])) ++i;
      std::string problem = word(text.substr(start, i - start));
      if (!problem.empty()) return problem;
    }
  }
  return "";
}

}  // namespace pdf_syntax_detail

// "" when `pdf` is a well-formed file of this writer's kind, else what is wrong with it.
inline std::string PdfSyntaxProblem(const std::string& pdf) {
  using namespace pdf_syntax_detail;
  if (pdf.rfind("%PDF-1.", 0) != 0) return "no PDF header";
  if (pdf.size() < 7 || pdf.compare(pdf.size() - 7, 7, "%%EOF\r\n") != 0) return "no %%EOF";
  size_t startxref = pdf.rfind("startxref\r\n");
  if (startxref == std::string::npos) return "no startxref";
  size_t xref = std::strtoul(pdf.c_str() + startxref + 11, nullptr, 10);
  if (pdf.compare(xref, 6, "xref\r\n") != 0) return "startxref does not point at xref";
  size_t line = pdf.find("\r\n", xref + 6) + 2;
  size_t count = std::strtoul(pdf.c_str() + pdf.find(' ', xref + 6) + 1, nullptr, 10);
  for (size_t obj = 1; obj < count; ++obj) {
    size_t entry = line + 20 * obj;
    if (entry + 20 > pdf.size()) return "cross-reference table cut short";
    size_t offset = std::strtoul(pdf.c_str() + entry, nullptr, 10);
    std::string head = std::to_string(obj) + " 0 obj";
    if (pdf.compare(offset, head.size(), head) != 0) {
      return "object " + std::to_string(obj) + " is not at its offset";
    }
  }

  // The objects named as page contents.
  std::set<std::string> contents;
  for (size_t at = 0; (at = pdf.find("/Contents ", at)) != std::string::npos; at += 10) {
    contents.insert(pdf.substr(at + 10, pdf.find(' ', at + 10) - at - 10));
  }
  static const std::set<std::string, std::less<>> kKeywords = {
      "obj", "endobj", "R", "xref", "trailer", "startxref", "true", "false", "null", "n", "f"};
  static const std::set<std::string, std::less<>> kOperators = {
      "BT", "ET", "Tf", "Td", "TD", "Tj", "TJ", "Tm", "TL", "Tc", "Tw", "Tz", "Ts",
      "Tr", "T*", "m",  "l",  "c",  "v",  "y",  "h",  "re", "S",  "s",  "f",  "F",
      "f*", "B",  "B*", "b",  "b*", "n",  "W",  "W*", "w",  "J",  "j",  "M",  "d",
      "q",  "Q",  "cm", "g",  "G",  "rg", "RG", "k",  "K",  "gs", "ri", "i"};
  size_t at = 0;
  std::string object;
  while (at < pdf.size()) {
    size_t stream = pdf.find("stream\r\n", at);
    while (stream != std::string::npos && stream > 0 && pdf[stream - 1] == 'd') {
      stream = pdf.find("stream\r\n", stream + 1);  // "endstream"
    }
    std::string_view outside(pdf.data() + at,
                             (stream == std::string::npos ? pdf.size() : stream) - at);
    std::string numbers[2];  // the last two numbers: "12 0 obj" names object 12
    std::string problem = Tokens(outside, [&](std::string_view t) -> std::string {
      if (t == "obj") object = numbers[0];
      if (IsNumber(t)) {
        numbers[0] = numbers[1];
        numbers[1] = std::string(t);
        return "";
      }
      if (kKeywords.count(t) || t == "stream") return "";
      return "unexpected token \"" + std::string(t) + "\"";
    });
    if (!problem.empty()) return problem + " near byte " + std::to_string(at);
    if (stream == std::string::npos) break;
    // The stream's length comes from its dictionary: the text of a page may itself say
    // "endstream".
    size_t body = stream + 8;
    size_t length_at = pdf.rfind("/Length ", stream);
    if (length_at == std::string::npos || length_at < at) return "a stream without /Length";
    size_t end = body + std::strtoul(pdf.c_str() + length_at + 8, nullptr, 10);
    if (pdf.compare(end, 11, "\r\nendstream") != 0 && pdf.compare(end, 9, "endstream") != 0) {
      return "stream " + object + " does not end where its /Length says";
    }
    if (contents.count(object)) {
      problem = Tokens(std::string_view(pdf.data() + body, end - body), [&](std::string_view t) {
        if (IsNumber(t) || kOperators.count(t)) return std::string();
        return "unexpected content token \"" + std::string(t) + "\"";
      });
      if (!problem.empty()) return problem + " in object " + object;
    }
    at = pdf.find("endstream", end) + 9;
  }
  return "";
}

}  // namespace quorvel::testing
