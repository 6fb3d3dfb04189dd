#include "CommandLine.h"

#include "tools/RenumberTool.h"

QString commandLineHelp()
{
    return QStringLiteral(R"(Usage: zavrin-cnc TOOL [TOOL OPTIONS] [--lines FIRST:LAST] [--system-decimal SEP]
                  [-o OUT | --in-place] [--binary-ok] [FILE]
       zavrin-cnc stats [--ij abs|inc] [--json] FILE
       zavrin-cnc journal [--machine N] [--since DATE] [--csv] [--journal FILE]
       zavrin-cnc --help

Applies one of the CNC program tools of Zavrin to a program file, as the
editor's tool windows do, and writes the result in the file's own encoding and
line breaks. FILE is read from standard input when it is absent or "-"; the
result goes to standard output unless -o or --in-place is given. The input
must be a regular file, a pipe, a terminal or /dev/null, of at most
2000000000 bytes.

Tools:
  spaces --add | --remove
      Put a blank in front of every address letter, or remove the blanks
      (comments, macro text and what follows "#" or "%" stay as they are).
  renumber [--digits D] [--renumber] [--start S] [--increment K]
      --renumber numbers the blocks S, S+K, S+2K, ... (S is 0 and K is 1
      unless given); --digits pads block numbers with zeros to D digits
      (1 to %1). S is 0 to 100000000, K 1 to 100000000. Without --digits and
      --renumber nothing changes. A block number above 2147483647 is an error.
  ij --mode abs-start|inc-start|abs-end|inc-end [--plus]
      Add (abs) or subtract (inc) the arc's start or end point to the I and J
      words.
  translate [--x DX] [--y DY] [--z DZ] [--plus]
      Add DX, DY, DZ to every X, Y, Z word. The increments are written in the
      system's number format (see --system-decimal).
  mirror [--x] [--y] [--swap-g02] [--swap-g03] [--swap-g41] [--swap-g42] [--plus]
      Negate X and/or Y; swap G02 to G03, G03 to G02, G41 to G42, G42 to G41.
  addchar --text T (--start | --end)
      Put T in front of or after every line (T may be empty or hold blanks).
  stats [--ij abs|inc] [--diameter] [--rapid RATE] [--json] FILE
      The program's toolpath: extents, cut and rapid lengths, an estimated
      time (feed moves at their F, rapids at RATE mm/min, 5000 unless given),
      counts of moves by kind and the problems, one "key: value" a line, or
      a JSON object with --json. --ij abs reads I/J/K as absolute centres
      (default inc: from the arc's start); --diameter reads X as a diameter.
      Exit status 1 when the path cannot be followed from some line on (the
      message names the line; the figures up to it are still written).
  journal [--machine N] [--since DATE] [--csv] [--journal FILE]
      The transfer journal, oldest entry first: every send and receive with
      its time (local), machine, medium, outcome, byte count, SHA-256, files
      and error. --machine keeps one machine's entries (its number, letter
      case ignored); --since keeps those from DATE on, given as YYYY-MM-DD (the
      start of that day) or YYYY-MM-DDTHH:MM[:SS] (local time, or UTC with a
      final Z); --csv writes CSV (RFC 4180, UTF-8, a header row, times in UTC
      and local). The journal is the one Zavrin.ini beside the program names
      ([JOURNAL] VALUE, journal.db by default), or FILE. It is only read.
  tokens
      For each line, one line of its colouring tokens as KIND@START+LENGTH
      (positions 0-based, in UTF-16 code units).

  --plus  writes a "+" in front of coordinates that are not negative.

Options:
  --lines FIRST:LAST    work on the lines FIRST to LAST only (1-based, both
                        included, 1 to 100000000); lines past the end of the
                        file are not created. Default: the whole file.
  --system-decimal SEP  the system's decimal separator, "." or ","; with ","
                        a "," in the program is also read as a decimal point.
                        Default: the separator of the system's locale.
  -o OUT                write the result to OUT.
  --in-place            replace FILE, only once the whole run has succeeded.
  --binary-ok           work on input that looks like a binary file (its
                        first 4096 bytes hold NUL bytes between other bytes
                        and control characters text does not use); such
                        input is refused otherwise.
  -h, --help            show this text (where an option may stand; an
                        option's value is the next argument as it is, and
                        after "--" every argument is FILE).

Numbers are read exactly and written with at most 15 significant digits, in
fixed notation from 0.0001 up to below 1E15 and as 5E-5 or 1E15 beyond that.

Exit status: 0 done; 1 a number or block number that cannot be used (the
message names the line and the text; nothing is written), or a file that
cannot be read or written, input refused, or not enough memory; 2 a wrong
command line.
)")
        .arg(MaxBlockDigits);
}
