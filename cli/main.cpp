// quorvel-book: makes a Sudoku book from the command line, with the window's options.
#include <iostream>

#include "cli/book_cli.h"

int main(int argc, char** argv) { return quorvel::cli::Main(argc, argv, std::cerr); }
