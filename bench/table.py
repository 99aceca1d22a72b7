#!/usr/bin/env python3
"""The table of scripts/bench, from the result lines it collected, one per figure and run:
    run<TAB>BENCH<TAB>row<TAB>value<TAB>unit<TAB>goal<TAB>reference
(see bench/common/BenchReport.h). Exits 1 when a line cannot be read, 2 when a goal is missed.
With --quick (one run of each program) the goals are shown but never make it fail."""
import re
import statistics
import sys

GOAL = re.compile(r'^(ratio)?(<=|>=|<|>)([0-9.]+(?:e[+-]?[0-9]+)?)$')
COMPARE = {'<': lambda a, b: a < b, '<=': lambda a, b: a <= b,
           '>': lambda a, b: a > b, '>=': lambda a, b: a >= b}
UNITS = {'us': 'µs'}


def number(text):
    if abs(text) >= 1000:
        return f'{text:,.0f}'
    if abs(text) >= 10:
        return f'{text:.1f}'
    return f'{text:.2f}'


def bound_text(bound):
    return f'{int(bound):,}' if bound == int(bound) else f'{bound:g}'


def read(path):
    rows = {}
    for lineno, line in enumerate(open(path, encoding='utf-8', errors='replace'), 1):
        fields = line.rstrip('\n').split('\t')
        if len(fields) != 7 or fields[1] != 'BENCH':
            raise ValueError(f'line {lineno} is not a result line: {line.strip()!r}')
        run, _, name, value, unit, goal, reference = fields
        if goal and not GOAL.match(goal):
            raise ValueError(f'{name}: goal {goal!r} cannot be read')
        row = rows.setdefault(name, {'unit': unit, 'goal': goal, 'values': [], 'refs': [], 'ratios': []})
        row['values'].append(float(value))
        if reference:
            row['refs'].append(float(reference))
            if float(reference) > 0:
                row['ratios'].append(float(value) / float(reference))
        if row['goal'].startswith('ratio') and not reference:
            raise ValueError(f'{name}: a goal on the ratio needs a reference')
    return rows


def main(argv):
    quick = '--quick' in argv
    paths = [a for a in argv if a != '--quick']
    try:
        rows = read(paths[0])
    except (OSError, ValueError, IndexError) as error:
        print(f'bench/table.py: {error}', file=sys.stderr)
        return 1
    table = [('figure', 'median', 'unit', 'goal', 'reference', 'ratio', 'met')]
    missed = False
    for name, row in rows.items():
        median = statistics.median(row['values'])
        ratio = statistics.median(row['ratios']) if row['ratios'] else None
        met = ''
        goal_text = ''
        match = GOAL.match(row['goal'])
        if match:
            on_ratio, op, bound = match.group(1), match.group(2), float(match.group(3))
            measured = ratio if on_ratio else median
            ok = measured is not None and COMPARE[op](measured, bound)
            met = 'yes' if ok else 'NO'
            missed = missed or not ok
            goal_text = ('ratio ' if on_ratio else '') + f'{op} {bound_text(bound)}'
        table.append((name, number(median), UNITS.get(row['unit'], row['unit']), goal_text,
                      number(statistics.median(row['refs'])) if row['refs'] else '',
                      f'{ratio:.2f}' if ratio is not None else '', met))
    widths = [max(len(line[i]) for line in table) for i in range(len(table[0]))]
    for line in table:
        cells = [line[0].ljust(widths[0])] + [cell.rjust(w) for cell, w in zip(line[1:], widths[1:])]
        print('  '.join(cells).rstrip())
    runs = max(len(row['values']) for row in rows.values()) if rows else 0
    print(f'(median of {runs} run{"s" if runs != 1 else ""} each; the ratio is to the reference measured in the same run)')
    if quick:
        print('(one run each: the timings are not held to their goals)')
        return 0
    return 2 if missed else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
