#!/usr/bin/env bash
# check_empty_class_abi.sh TREE RUNTIME_DIR: no object or library of a 32-bit tree defines its own
# copy of a function that the GCC runtime (libstdc++) also defines and that takes an empty class
# by value (an iterator tag, std::true_type).
# On i686 MinGW, GCC gives such a parameter a 4-byte stack slot; clang gives it none, and a
# member function (thiscall) pops its own arguments: GCC's copy returns with "ret 12" where clang's
# returns with "ret 8". Both compilers emit these template instances as COMDATs and the linker keeps
# the first it sees, ours before the runtime's archive: the runtime's own code (std::string's copy
# constructor, substr) then calls clang's copy and returns to a shifted stack. An unoptimised
# std::string("...") does it: every GoogleTest program crashed at start under 32-bit Wine.
# Optimised code inlines these small functions and emits no copy; this check keeps it so.
set -euo pipefail
tree=$1 runtime=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The runtime's functions with an empty class by value: the classes libstdc++ passes that way.
llvm-nm --defined-only "$runtime/libstdc++.a" 2>/dev/null | awk 'NF == 3 {print $3}' | sort -u >"$work/runtime"
paste "$work/runtime" <(llvm-cxxfilt -_ <"$work/runtime") |
  awk -F'\t' '$2 ~ /(\(|, )(std::[a-z_]+_tag|std::integral_constant<[^<>]*>|std::__(true|false)_type)(,|\))/ {print $1}' >"$work/hazards"
[ -s "$work/hazards" ] || { echo "no such function found in $runtime/libstdc++.a: the check would see nothing"; exit 1; }

# Every definition in this tree's objects and archives (GoogleTest's among them).
find "$tree" \( -name '*.obj' -o -name '*.a' \) -not -path '*/wine*' -print0 |
  xargs -0 -r llvm-nm --defined-only -A 2>/dev/null | awk 'NF == 4 {print $4 "\t" $1}' | sort >"$work/ours"
found=$(join -t $'\t' <(sort -u "$work/hazards") "$work/ours" || true)
if [ -n "$found" ]; then
  echo "clang's copies of runtime functions that take an empty class by value (build these objects optimised):"
  cut -f1 <<<"$found" | sort -u | llvm-cxxfilt -_ | sed 's/^/  /'
  cut -f2 <<<"$found" | sed 's/:$//; s/:[^:]*$//' | sort -u | sed 's/^/  in /'
  exit 1
fi
echo "$(wc -l <"$work/hazards") runtime functions take an empty class by value; no object of $tree defines one"
