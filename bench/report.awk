#!/usr/bin/awk -f
# SPDX-License-Identifier: GPL-3.0-or-later
# Prints the results of bench/run.sh as a table per corpus and checks the
# targets. A restore puts every file on the device before it ends, so its
# target is set against extracting a tar followed by sync (x tar+s).
# Input lines: ROUND SET KIND LABEL INPUT OUTPUT SECONDS PEAK_KB VOLUMES (for
# KIND "identical": ROUND SET identical LABEL yes|NO, for KIND "share": ROUND
# SET share LABEL PERCENT, the calling thread's share of the CPU time). MB are
# 10^6 bytes.
# A machine's speed drifts between rounds, so each ratio is taken within a
# round, against the references of that round, and the median over the
# rounds is shown; of the peaks the highest counts.

function rate(input, seconds) { return seconds > 0 ? input / 1e6 / seconds : 0 }
# The median of the values v[1..n].
function median(v, n,    i, j, t) {
  for (i = 2; i <= n; i++)
    for (j = i; j > 1 && v[j - 1] > v[j]; j--) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
  return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
}
# The median over the rounds of a row's speed, divided by the speed of row
# against in the same round when against is given.
function medianOf(set, kind, label, againstKind, againstLabel,    r, n, v, base) {
  n = 0
  for (r = 1; r <= rounds; r++) {
    if (!((set, kind, label, r) in speed)) continue
    base = 1
    if (againstLabel != "") {
      if (!((set, againstKind, againstLabel, r) in speed) || speed[set, againstKind, againstLabel, r] <= 0) continue
      base = speed[set, againstKind, againstLabel, r]
    }
    v[++n] = speed[set, kind, label, r] / base
  }
  return n ? median(v, n) : 0
}
function check(what, value, limit) {
  verdict = value >= limit ? "met" : "MISSED"
  printf "  %-58s %7.2f    (target >= %s) %s\n", what, value, limit, verdict
  if (verdict != "met") missed++
}
function checkAtMost(what, value, limit) {
  verdict = value <= limit ? "met" : "MISSED"
  printf "  %-58s %7.1f    (target <= %s) %s\n", what, value, limit, verdict
  if (verdict != "met") missed++
}
function checkBelow(what, value, limit) {
  verdict = value < limit ? "met" : "MISSED"
  printf "  %-58s %7.1f MB (target < %d MB) %s\n", what, value, limit, verdict
  if (verdict != "met") missed++
}

{ if ($1 > rounds) rounds = $1 }
$3 == "share" {
  if (!(($2, $4) in shares)) shareOrder[$2, ++shareCount[$2]] = $4
  if ($5 != "") shares[$2, $4] = shares[$2, $4] " " $5
  next
}
$3 == "identical" {
  if (!(($2, $4) in same)) sameOrder[++sameCount] = $2 SUBSEP $4
  if (same[$2, $4] != "NO") same[$2, $4] = $5
  next
}
{
  if (!(($2, $3, $4) in peak)) {
    row[$2, ++rows[$2]] = $3 SUBSEP $4
    peak[$2, $3, $4] = $8
  }
  input[$2] = $5
  speed[$2, $3, $4, $1] = rate($5, $7)
  size[$2, $3, $4] = $5 > 0 ? $6 / $5 : 0
  if ($8 != "-" && $8 + 0 > peak[$2, $3, $4] + 0) peak[$2, $3, $4] = $8
  volumes[$2, $3, $4] = $9
  if (!($2 in seen)) { seen[$2] = 1; order[++sets] = $2 }
}

END {
  for (s = 1; s <= sets; s++) {
    name = order[s]
    printf "\n== %s corpus: %.1f MB; zlib compress() on one core: %.1f MB/s; median of %d round(s)\n", name,
           input[name] / 1e6, medianOf(name, "ref", "zlib-compress-1"), rounds
    printf "%-13s %-28s %8s %9s %8s %8s %7s %8s %8s\n", "", "", "MB/s", "x zlib-1", "x tar-x", "x tar+s", "size",
           "peak MB", "volumes"
    for (i = 1; i <= rows[name]; i++) {
      split(row[name, i], part, SUBSEP)
      k = part[1]; label = part[2]
      p = peak[name, k, label]
      printf "%-13s %-28s %8.1f %9.2f %8s %8s %7.3f %8s %8s\n", (k == "ref" ? "memory" : k), label,
             medianOf(name, k, label), medianOf(name, k, label, "ref", "zlib-compress-1"),
             (k == "restore" ? sprintf("%.2f", medianOf(name, k, label, "restore", "tar-x")) : "-"),
             (k == "restore" ? sprintf("%.2f", medianOf(name, k, label, "restore", "tar-x+sync")) : "-"),
             size[name, k, label], (p == "-" ? "-" : sprintf("%.1f", p / 1024)), volumes[name, k, label]
    }
  }

  # What the calling thread does alone caps the speed on any number of cores.
  for (s = 1; s <= sets; s++) {
    name = order[s]
    if (!shareCount[name]) continue
    printf "\n== %s corpus: the calling thread's share of the backup's CPU time (median)\n", name
    for (i = 1; i <= shareCount[name]; i++) {
      label = shareOrder[name, i]
      n = split(shares[name, label], v, " ")
      if (n == 0) continue
      callingShare[name, label] = median(v, n)
      limit = callingShare[name, label] > 0 ? sprintf("%.0fx one core", 100 / callingShare[name, label]) : "-"
      printf "  %-40s %5.1f %%   limit on any number of cores: %s\n", label, callingShare[name, label], limit
    }
  }

  print "\n== Targets"
  for (s = 1; s <= sets; s++) {
    name = order[s]
    for (i = 1; i <= rows[name]; i++) {
      split(row[name, i], part, SUBSEP)
      k = part[1]; label = part[2]
      if (label !~ /^parcelbarge/) continue
      if (k == "backup") {
        workers = label; sub(/.*-w/, "", workers)
        one = workers == "1" || workers == "default"
        need = one ? 0.95 : (name == "large" ? 1.9 : 1.85)
        check(name " backup " label ", x zlib-1", medianOf(name, k, label, "ref", "zlib-compress-1"), need)
        if (name == "small" && !one && callingShare[name, label] != "")
          checkAtMost(name " backup " label ", calling thread's CPU share %", callingShare[name, label], 5)
      }
      # Repair volumes may cost the backup at most 5 %.
      if (k == "backup+repair" && label !~ /-r0$/)
        check(name " backup " label ", x without repair volumes",
              medianOf(name, k, label, "backup+repair", "parcelbarge-1423K-r0"), 0.95)
      if (k == "restore")
        check(name " restore " label ", x tar-x+sync", medianOf(name, k, label, "restore", "tar-x+sync"),
              name == "large" ? 0.9 : 1.0)
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
