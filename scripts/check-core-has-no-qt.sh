#!/usr/bin/env bash
# Fails when a toolkit-free core file (anything under src/ outside ui/ folders, app/ and platform/)
# includes a Qt header, a platform/posix/ header or a POSIX system header, or reaches the system
# itself: a system call, the environment (getenv), the real file system (systemFileSystem) or any
# function of the Linux backend (declared in src/platform/posix/). The core reaches the operating
# system only through the FileSystem it is handed. A program's main.cpp chooses that backend and is
# not checked.
set -u
src=${1:-src}
src=${src%/}
core=$(find "$src" \( -path '*/ui/*' -o -path '*/app/*' -o -path "$src/platform" \) -prune -o \
    \( -name '*.cpp' -o -name '*.h' \) ! -name main.cpp -print)
status=0

report() {
    if [ -n "$2" ]; then
        echo "$1:"; echo "$2"; status=1
    fi
}

qt=$(echo "$core" | xargs -r grep -nE '#\s*include\s*<Q[A-Za-z]' || true)
report "core files include Qt headers" "$qt"

posix=$(echo "$core" | xargs -r grep -nE \
    '#\s*include\s*(["<]platform/posix/|<(unistd|fcntl|dirent|pwd|spawn)\.h>|<(sys|linux)/)' || true)
report "core files include platform/posix/ or POSIX system headers" "$posix"

# The functions the backend declares at namespace level (not those of its classes).
backend=$(find "$src/platform/posix" -name '*.h' 2>/dev/null | xargs -r perl -ne '
    BEGIN { $depth = 0; }
    my $line = $_;
    $line =~ s{//.*}{};
    if ($depth == 1 && $line =~ /^\s*[A-Za-z_][\w:<>,\s*&]*?[\s*&](\w+)\s*\(/ && $1 !~ /^(if|for|while|return)$/) {
        print "$1\n";
    }
    $depth += () = $line =~ /\{/g;
    $depth -= () = $line =~ /\}/g;
    $depth = 0 if eof;' | sort -u | paste -sd'|' -)
system="open|openat|read|write|pread|pwrite|fsync|fdatasync|rename|renameat|renameat2|unlink|unlinkat|stat|lstat|fstat|fstatat|statx|getdents|getdents64|readdir|opendir|getcwd|getpwuid|getpwuid_r|mkdir|realpath|access|ftruncate|readlink|symlink|chmod|fchmod|syscall|getenv|secure_getenv|systemFileSystem"
names="$system${backend:+|$backend}"

# A call is the name, not reached through an object or a class, not declared with a type before it
# (a word before it other than return and the like); comments are passed over.
calls=$(echo "$core" | NAMES="$names" xargs -r perl -ne '
    BEGIN { $names = $ENV{NAMES}; }
    my $line = $_;
    $line =~ s{//.*}{};
    while ($line =~ /(?<![\w.>:])(?:::|std::)?($names)\s*\(/g) {
        my $before = substr($line, 0, $-[0]);
        next if $before =~ /(\w+)[\s*&]+$/ && $1 !~ /^(return|else|do|case|throw|co_return)$/;
        print "$ARGV:$.: $_";
        last;
    }
    close ARGV if eof;' || true)
report "core files reach the system themselves" "$calls"

if [ $status -eq 0 ]; then
    echo "core is free of Qt and reaches the system only through the FileSystem it is handed"
fi
exit $status
