// The 9x9 working grid through which every puzzle passes: it parses bank lines, scrambles them
// by random symmetry moves, reads out solutions and answers candidate questions.
#pragma once

#include <array>
#include <stdexcept>
#include <string>
#include <string_view>

#include "puzzle/random.h"

namespace quorvel::puzzle {

// A character that is not a digit (or, in a bank line, not "A".."I"), or a missing character.
// The message names the character and its 1-based position.
class ConversionError : public std::runtime_error {
 public:
  ConversionError(const std::string& what, int position)
      : std::runtime_error(what), position_(position) {}
  int position() const { return position_; }

 private:
  int position_;
};

// One cell. `Value` is 1..9 or 0; `Given` marks a clue.
struct TNode {
  int Row = 0;
  int Col = 0;
  int Value = 0;
  bool Given = false;
};

// Box number 1..9 of a cell, row by row (the region of the classic grid geometry); defined for
// rows and columns 1..9.
int BoxOf(int row, int col);

class TQJ {
 public:
  TQJ() = default;

  // The random source of the scrambles; the process-wide one unless set.
  void SetRandom(RandomSource& random) { random_ = &random; }
  RandomSource& Random() const { return *random_; }

  // Fills every cell from a bank line ("1".."9" given, "A".."I" empty with that solution digit),
  // then scrambles with 200 moves. Characters past the 81st are ignored. Throws ConversionError
  // at the first bad or missing character, with the cells before it rewritten.
  void LoadBankLine(std::string_view line);

  // Reseeds the random source, then applies `count` random moves (none when count < 1).
  void Scramble(int count);

  // The 81 values as digits, or "" when any value lies outside 1..9.
  std::string GetSolution() const;

  // Sets every Value to 0; Given, Row and Col stay.
  void Clear();

  // Clears, then loads a puzzle string ("0" for empty cells) once trimmed of blanks and control
  // characters. A string that is not 81 characters long leaves every value 0. A non-digit
  // throws ConversionError with the cells before it loaded.
  void LoadPuzzle(std::string_view text);

  // The digits that the givens of the cell's row, column and box leave open, ascending.
  std::string GetCandidates(int row, int col) const;

  // Cells[row][col], 1-based.
  TNode& Cell(int row, int col) { return cells_[row - 1][col - 1]; }
  const TNode& Cell(int row, int col) const { return cells_[row - 1][col - 1]; }

  // The puzzle string read off the grid: the digit of every given cell, "0" elsewhere.
  std::string PuzzleString() const;

 private:
  // The moves of a scramble so far: the row and column (0-based) each row and column takes its
  // cells from, and the digit each digit becomes.
  struct Moves {
    std::array<size_t, 9> row_from, col_from;
    std::array<int, 10> label;
  };
  // One random move: a swap of two columns or two rows within a stack or band, or of two
  // digits.
  void ApplyMove(Moves& moves);

  TNode cells_[9][9];
  RandomSource* random_ = &DefaultRandomSource();
};

}  // namespace quorvel::puzzle
