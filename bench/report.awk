#!/usr/bin/awk -f
# SPDX-License-Identifier: GPL-3.0-or-later
# Prints the results of bench/run.sh as a table per corpus and checks the
# targets. A restore puts every file on the device before it ends, so its
# target is set against extracting a tar followed by sync (x tar+s). Input lines: SET KIND LABEL INPUT OUTPUT SECONDS PEAK_KB VOLUMES
# (for KIND "identical": SET identical LABEL yes|NO). MB are 10^6 bytes. Of a
# row measured more than once the fastest time and the highest peak count.

function rate(input, seconds) { return seconds > 0 ? input / 1e6 / seconds : 0 }
function check(what, value, limit) {
  verdict = value >= limit ? "met" : "MISSED"
  printf "  %-58s %7.2f    (target >= %s) %s\n", what, value, limit, verdict
  if (verdict != "met") missed++
}
function checkBelow(what, value, limit) {
  verdict = value < limit ? "met" : "MISSED"
  printf "  %-58s %7.1f MB (target < %d MB) %s\n", what, value, limit, verdict
  if (verdict != "met") missed++
}

$2 == "identical" {
  if (!(($1, $3) in same)) sameOrder[++sameCount] = $1 SUBSEP $3
  if (same[$1, $3] != "NO") same[$1, $3] = $4
  next
}
{
  if (!(($1, $2, $3) in speed)) {
    set[$1, ++rows[$1]] = $2 SUBSEP $3
    speed[$1, $2, $3] = 0
    peak[$1, $2, $3] = $7
  }
  input[$1] = $4
  if (rate($4, $6) > speed[$1, $2, $3]) speed[$1, $2, $3] = rate($4, $6)
  size[$1, $2, $3] = $4 > 0 ? $5 / $4 : 0
  if ($7 != "-" && $7 + 0 > peak[$1, $2, $3] + 0) peak[$1, $2, $3] = $7
  volumes[$1, $2, $3] = $8
  if (!($1 in seen)) { seen[$1] = 1; order[++sets] = $1 }
}

END {
  for (s = 1; s <= sets; s++) {
    name = order[s]
    limit = speed[name, "ref", "zlib-compress-1"]
    tar = speed[name, "restore", "tar-x"]
    synced = speed[name, "restore", "tar-x+sync"]
    printf "\n== %s corpus: %.1f MB; zlib compress() on one core: %.1f MB/s\n", name, input[name] / 1e6, limit
    printf "%-8s %-28s %8s %9s %8s %8s %7s %8s %8s\n", "", "", "MB/s", "x zlib-1", "x tar-x", "x tar+s", "size",
           "peak MB", "volumes"
    for (i = 1; i <= rows[name]; i++) {
      split(set[name, i], part, SUBSEP)
      k = part[1]; label = part[2]
      v = speed[name, k, label]
      p = peak[name, k, label]
      printf "%-8s %-28s %8.1f %9.2f %8s %8s %7.3f %8s %8s\n", (k == "ref" ? "memory" : k), label, v,
             (limit > 0 ? v / limit : 0), (k == "restore" && tar > 0 ? sprintf("%.2f", v / tar) : "-"),
             (k == "restore" && synced > 0 ? sprintf("%.2f", v / synced) : "-"),
             size[name, k, label], (p == "-" ? "-" : sprintf("%.1f", p / 1024)), volumes[name, k, label]
    }
  }

  print "\n== Targets"
  for (s = 1; s <= sets; s++) {
    name = order[s]
    limit = speed[name, "ref", "zlib-compress-1"]
    synced = speed[name, "restore", "tar-x+sync"]
    for (i = 1; i <= rows[name]; i++) {
      split(set[name, i], part, SUBSEP)
      k = part[1]; label = part[2]
      if (label !~ /^parcelbarge/) continue
      if (k == "backup" && limit > 0) {
        workers = label; sub(/.*-w/, "", workers)
        one = workers == "1" || workers == "default"
        need = one ? 0.95 : (name == "large" ? 1.9 : 1.85)
        check(name " backup " label ", x zlib-1", speed[name, k, label] / limit, need)
      }
      if (k == "restore" && synced > 0)
        check(name " restore " label ", x tar-x+sync", speed[name, k, label] / synced, name == "large" ? 0.9 : 1.0)
      checkBelow(name " " k " " label ", peak memory", peak[name, k, label] / 1024, 32)
    }
  }
  for (i = 1; i <= sameCount; i++) {
    split(sameOrder[i], part, SUBSEP)
    verdict = same[part[1], part[2]] == "yes" ? "met" : "MISSED"
    printf "  %-58s %s\n", part[1] " " part[2] " volumes identical to one worker's", verdict
    if (verdict != "met") missed++
  }
  printf "\n%d target(s) missed\n", missed + 0
}
