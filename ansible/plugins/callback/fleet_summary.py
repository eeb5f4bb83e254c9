# -*- coding: utf-8 -*-
# The fleet summary: one line per station at the end of a playbook run, printed and written as
# Markdown. It is a callback rather than a last play because Ansible ends the playbook when a
# wave fails beyond max_fail_percentage, and the summary matters most then.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
name: fleet_summary
type: aggregate
short_description: One table of the stations at the end of a rollout, also written as Markdown
version_added: 1.0.0
description:
  - Collects the C(station_outcome) that M(tevar.stations.component_update) (or, for Windows
    stations, the M(tevar.stations.station_outcome) filter in a task that registers it under that
    name) returns for each station, and the failures of the stations' other tasks.
  - When the playbook ends, also when a wave failed beyond C(max_fail_percentage), prints one
    line per station (station, status, components sent, skipped and failed, bytes, duration,
    reason) and writes the same table as Markdown.
  - A station whose last outcome is a plan in a run that is not in check mode was planned but
    never updated, C(not reached), because the rollout stopped before its wave.
requirements:
  - enabled in C(callbacks_enabled) (the fleet example's ansible.cfg does so)
options:
  summary_file:
    description: The Markdown file the summary is written to; empty for none.
    type: path
    default: fleet-summary.md
    env:
      - name: FLEET_SUMMARY_FILE
    ini:
      - section: fleet_summary
        key: summary_file
'''

import os
import re
import tempfile
import time

from ansible import context
from ansible.plugins.callback import CallbackBase

COLUMNS = ('station', 'status', 'sent', 'skipped', 'failed', 'bytes', 'duration (s)', 'reason')
STILL_TO_DO = ('failed', 'not reached', 'unreachable', 'would fail')


class Station(object):
    def __init__(self):
        self.outcome = None  # the last station_outcome reported
        self.failure = None  # a failure without an outcome, after the last outcome
        self.unreachable = None


class CallbackModule(CallbackBase):
    CALLBACK_VERSION = 2.0
    CALLBACK_TYPE = 'aggregate'
    CALLBACK_NAME = 'tevar.stations.fleet_summary'
    CALLBACK_NEEDS_ENABLED = True

    def __init__(self):
        super(CallbackModule, self).__init__()
        self._stations = {}
        self._playbook = ''

    def v2_playbook_on_start(self, playbook):
        self._playbook = os.path.basename(playbook._file_name)

    def v2_runner_on_ok(self, result):
        self._note(result, failed=False)

    def v2_runner_on_failed(self, result, ignore_errors=False):
        self._note(result, failed=not ignore_errors)

    def v2_runner_on_unreachable(self, result):
        self._station(result).unreachable = result._result.get('msg') or 'unreachable'

    def v2_playbook_on_stats(self, stats):
        check_mode = bool(context.CLIARGS.get('check'))
        rows = [summary_row(name, self._stations[name], check_mode)
                for name in sorted(self._stations, key=natural_key)]
        if not rows:
            return
        self._display.banner('FLEET SUMMARY')
        self._display.display(text_table(rows))
        path = self.get_option('summary_file')
        if path:
            write_atomically(path, markdown(rows, self._playbook, check_mode))
            self._display.display('Summary written to %s' % path)

    def _station(self, result):
        return self._stations.setdefault(result._host.get_name(), Station())

    def _note(self, result, failed):
        outcome = result._result.get('station_outcome')
        if isinstance(outcome, dict):
            station = self._station(result)
            station.outcome, station.failure = outcome, None
        elif failed:
            self._station(result).failure = result._result.get('msg') or \
                'task "%s" failed' % result._task.get_name()


def summary_row(name, station, check_mode):
    """The row of a station: the columns of COLUMNS, as texts."""
    outcome = station.outcome or {}
    status, reason = outcome.get('status'), outcome.get('reason')
    figures = bool(outcome)
    if station.unreachable:
        status, reason, figures = 'unreachable', station.unreachable, False
    elif station.failure and not outcome.get('failed'):
        status, reason = 'failed', station.failure
    elif outcome.get('phase') == 'plan' and not check_mode:
        # Planned in this run but never updated: the plan failed, or the rollout stopped first.
        status, reason = ('failed', outcome['msg']) if outcome['failed'] else ('not reached', None)
        figures = False
    row = [name, status, '', '', '', '', '', reason or '']
    if figures:
        row[2:7] = [str(outcome[k]) for k in ('sent', 'skipped', 'failed_components', 'bytes')] + \
            ['' if outcome['duration'] is None else '%.1f' % outcome['duration']]
    return row


def natural_key(name):
    return [int(part) if part.isdigit() else part for part in re.split(r'(\d+)', name)]


def totals(rows):
    """(how many stations ended in each status, in words; the names of those not updated)."""
    counts = {}
    for row in rows:
        counts[row[1]] = counts.get(row[1], 0) + 1
    words = '%d stations: %s.' % (len(rows), ', '.join('%d %s' % (n, s) for s, n in sorted(counts.items())))
    return words, [row[0] for row in rows if row[1] in STILL_TO_DO]


def text_table(rows):
    widths = [max(len(r[i]) for r in [COLUMNS] + rows) for i in range(len(COLUMNS) - 1)]
    lines = ['  '.join(cell.ljust(w) for cell, w in zip(r, widths)) + '  ' + r[-1]
             for r in [COLUMNS] + rows]
    words, again = totals(rows)
    lines.append(words)
    if again:
        lines.append('Not updated; to run them again: --limit %s' % ','.join(again))
    return '\n'.join(lines)


def markdown(rows, playbook, check_mode):
    def cells(row):
        return '| %s |' % ' | '.join(c.replace('|', '\\|').replace('\n', ' ') for c in row)
    words, again = totals(rows)
    lines = ['# Fleet summary', '',
             '`%s`, %s%s.' % (playbook, time.strftime('%Y-%m-%d %H:%M UTC', time.gmtime()),
                              ', check mode (plans only)' if check_mode else ''),
             '', cells(COLUMNS), '|---|---|--:|--:|--:|--:|--:|---|']
    lines += [cells(row) for row in rows]
    lines += ['', words]
    if again:
        lines += ['', 'Not updated; to run them again: `--limit %s`' % ','.join(again)]
    return '\n'.join(lines) + '\n'


def write_atomically(path, text):
    folder = os.path.dirname(os.path.abspath(path))
    if not os.path.isdir(folder):
        os.makedirs(folder)
    handle, temporary = tempfile.mkstemp(dir=folder, prefix='.fleet-summary-')
    with os.fdopen(handle, 'w') as stream:
        stream.write(text)
    os.chmod(temporary, 0o644)
    os.replace(temporary, path)
