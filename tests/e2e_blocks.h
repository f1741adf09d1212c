// Puzzles and answers read back from a book-design page: each "Sudoku #N" heading, the answer
// link beside it, and the digits under it.
#pragma once

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "e2e_util.h"

namespace quorvel {

constexpr double kPt = 72;

// A puzzle or answer on a page: its heading's words and the digits under it.
struct Block {
  int number = 0;
  const Word* heading = nullptr;  // "Sudoku"
  int answer_page = 0;            // from "Answer on page N" beside the heading, puzzles only
  double right = 0;               // the link's right edge (the grid's), puzzles only
  const Word* link = nullptr;     // the link's page number
  std::vector<Word> digits;       // one a cell
};

// Gives a digit to the block of the nearest heading above and to its left.
inline void Place(std::vector<Block>& blocks, const Word& w) {
  Block* best = nullptr;
  for (Block& b : blocks) {
    if (b.heading->x0 > w.x0 + 1 || b.heading->y1 > w.y0) continue;
    if (!best || b.heading->y0 > best->heading->y0 + 1 ||
        (std::fabs(b.heading->y0 - best->heading->y0) <= 1 && b.heading->x0 > best->heading->x0)) {
      best = &b;
    }
  }
  if (best) best->digits.push_back(w);
}

// The blocks of a page: each digit belongs to the nearest heading above and to its left.
inline std::vector<Block> BlocksOf(const PageWords& words) {
  std::vector<Block> blocks;
  for (size_t i = 0; i + 1 < words.size(); ++i) {
    if (words[i].text == "Sudoku" && words[i + 1].text.rfind("#", 0) == 0) {
      Block b;
      b.number = std::stoi(words[i + 1].text.substr(1));
      b.heading = &words[i];
      // "Answer on page N" on the same line: the nearest to the heading's right.
      for (size_t k = 0; k + 3 < words.size(); ++k) {
        if (words[k].text == "Answer" && words[k + 2].text == "page" &&
            std::fabs(words[k].y - words[i].y) < 0.1 && words[k].x0 > words[i + 1].x1 &&
            (!b.link || words[k].x0 < (b.link - 3)->x0)) {
          b.answer_page = std::stoi(words[k + 3].text);
          b.right = words[k + 3].x1;
          b.link = &words[k + 3];
        }
      }
      blocks.push_back(b);
    }
  }
  // The lowest word is the page number, never a cell.
  const Word* folio = nullptr;
  for (const Word& w : words) {
    if (!folio || w.y1 > folio->y1) folio = &w;
  }
  auto is_link = [&](const Word& w) {
    return std::any_of(blocks.begin(), blocks.end(), [&](const Block& b) { return b.link == &w; });
  };
  auto digits_only = [](const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '1' && c <= '9'; });
  };
  for (const Word& word : words) {
    if (&word == folio || is_link(word) || !digits_only(word.text)) continue;
    // The digits of neighbouring cells can read back as one word: each takes its share of it.
    const double share = (word.x1 - word.x0) / static_cast<double>(word.text.size());
    for (size_t k = 0; k < word.text.size(); ++k) {
      Word w = word;
      w.text = word.text.substr(k, 1);
      w.x0 = word.x0 + share * static_cast<double>(k), w.x1 = w.x0 + share;
      w.x = (w.x0 + w.x1) / 2 / kPt;
      Place(blocks, w);
    }
  }
  return blocks;
}

// The n x n digits of a full grid, row by row as the page shows them.
inline std::string FullGrid(std::vector<Word> digits, size_t n = 9) {
  if (digits.size() != n * n) return std::string();
  std::sort(digits.begin(), digits.end(), [](const Word& a, const Word& b) { return a.y < b.y; });
  std::string grid;
  for (size_t row = 0; row < n; ++row) {
    const auto first = digits.begin() + static_cast<std::ptrdiff_t>(row * n);
    std::sort(first, first + static_cast<std::ptrdiff_t>(n),
              [](const Word& a, const Word& b) { return a.x < b.x; });
    for (size_t k = 0; k < n; ++k) grid += digits[row * n + k].text;
  }
  return grid;
}

// A puzzle's givens by cell on its n x n grid, row by row as the page shows them, "0" where
// empty.
inline std::string PuzzleGrid(const Block& b, int n = 9) {
  const double left = b.heading->x0, side = b.right - left, cell = side / n;
  const double top = b.heading->y0 + 0.26 * kPt;
  std::string grid(static_cast<size_t>(n * n), '0');
  for (const Word& w : b.digits) {
    int col = static_cast<int>(std::floor(((w.x0 + w.x1) / 2 - left) / cell));
    int row = static_cast<int>(std::floor(((w.y0 + w.y1) / 2 - top) / cell));
    if (col < 0 || row < 0 || col >= n || row >= n) return std::string();
    grid[static_cast<size_t>(row * n + col)] = w.text[0];
  }
  return grid;
}

}  // namespace quorvel
