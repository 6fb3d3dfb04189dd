# Adds 10 to every X word in front of the first comment or macro character,
# the job of "zavrin-cnc translate --x 10" written for gawk.
{
    line = $0
    stop = match(line, /[#%(){}]/)
    head = stop ? substr(line, 1, stop - 1) : line
    tail = stop ? substr(line, stop) : ""
    out = ""
    while (match(head, /X[-+,.0-9]*/)) {
        out = out substr(head, 1, RSTART - 1)
        number = substr(head, RSTART + 1, RLENGTH - 1)
        if (number == "")
            out = out "X"
        else
            out = out "X" sprintf("%.15g", number + 10)
        head = substr(head, RSTART + RLENGTH)
    }
    print out head tail
}
