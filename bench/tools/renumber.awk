# Numbers the blocks 10, 20, 30, ... : the job of
# "zavrin-cnc renumber --renumber --start 10 --increment 10" written for gawk.
BEGIN { counter = 0 }
{
    line = $0
    if (line ~ /^[\001-\040]*$/ || index(line, "#") || index(line, "%")) {
        print line
        next
    }
    if (match(line, /^ *N[0-9]*/)) {
        lead = substr(line, 1, RLENGTH)
        sub(/N[0-9]*$/, "", lead)
        rest = lead substr(line, RLENGTH + 1)
    } else if (line ~ /^[(ABCFGIJKMRSTXYZ]/) {
        rest = line
    } else {
        print line
        next
    }
    counter += 10
    print "N" counter rest
}
