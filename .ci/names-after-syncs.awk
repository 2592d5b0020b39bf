# Reads an strace -f log of one d88cut run (openat, linkat, renameat,
# renameat2, fdatasync, fsync, syncfs, close, fcntl) and fails unless every
# file named with a catalogue name (not a .d88cut-part temporary) had its data
# synced through its descriptor before, and the folder was synced after the
# last name. Prints the number of names checked. The syncs run in threads of
# their own, so a call may be split over an "unfinished" and a "resumed" line;
# it counts where it returns.
function args(line,    from, to) {
    from = index(line, "(")
    to = match(line, /\) += /)
    return substr(line, from + 1, to - from - 1)
}
function result(line) {
    sub(/.*\) += /, "", line)
    return line + 0
}
function unquote(text) {
    gsub(/^ *"|" *$/, "", text)
    return text
}
function temporary(name) {
    return name ~ /\.d88cut-part$/
}
function fresh(fd) {
    synced[fd] = 0
    directory[fd] = 0
    temp[fd] = ""
}
function named(name, wasSynced) {
    names++
    if (!wasSynced) {
        print "not synced before it was named " name ": " $0 > "/dev/stderr"
        failed = 1
    }
    lastName = NR
}
{
    pid = $1
    sub(/^[0-9]+ +/, "")
}
/<unfinished \.\.\.>$/ {
    sub(/ *<unfinished \.\.\.>$/, "")
    started[pid] = $0
    next
}
/^<\.\.\. [a-z0-9_]+ resumed>/ {
    sub(/^<\.\.\. [a-z0-9_]+ resumed>/, "")
    $0 = started[pid] $0
}
/ = -?[0-9]+/ && result($0) >= 0 {
    call = $0
    sub(/\(.*/, "", call)
    n = split(args($0), a, ", ")
    if (call == "openat") {
        fd = result($0)
        fresh(fd)
        directory[fd] = a[3] ~ /O_DIRECTORY/ && a[3] !~ /O_PATH/
        if (temporary(unquote(a[2])))
            temp[fd] = unquote(a[2])
    } else if (call == "fcntl" && a[2] ~ /F_DUPFD/) {
        fresh(result($0))
        synced[result($0)] = synced[a[1]]
    } else if (call == "close") {
        fresh(a[1])
    } else if (call == "fdatasync" || call == "fsync") {
        synced[a[1]] = 1
        if (temp[a[1]] != "")
            tempSynced[temp[a[1]]] = 1
        if (call == "fsync" && directory[a[1]])
            folderSynced = NR
    } else if (call == "syncfs") {
        folderSynced = NR
    } else if (call == "linkat") {
        fd = a[1] == "AT_FDCWD" ? unquote(a[2]) : a[1]
        sub(/^\/proc\/self\/fd\//, "", fd)
        name = unquote(a[4])
        if (temporary(name))
            tempSynced[name] = synced[fd]
        else
            named(name, synced[fd])
    } else if (call == "renameat" || call == "renameat2") {
        name = unquote(a[4])
        if (!temporary(name))
            named(name, tempSynced[unquote(a[2])])
    }
}
END {
    if (names == 0) {
        print "no file was named" > "/dev/stderr"
        failed = 1
    } else if (folderSynced < lastName) {
        print "the folder was not synced after the last name" > "/dev/stderr"
        failed = 1
    }
    print names
    exit failed
}
