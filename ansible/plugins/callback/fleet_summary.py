# -*- coding: utf-8 -*-
# The fleet summary: keeps every station's run reports on the control node as they come in, and
# prints one line per station at the end of the playbook run, also written as Markdown. It is a
# callback rather than tasks and a last play because Ansible ends the playbook when a wave fails
# beyond max_fail_percentage, and the reports and the summary matter most then; and because a
# task per station and phase costs about half a second of the control node's time.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
name: fleet_summary
type: aggregate
short_description: The stations' run reports kept on the control node, and one summary table
version_added: 1.0.0
description:
  - Collects the results of M(tevar.stations.component_update) (for Windows stations, of a
    M(ansible.builtin.debug) task that shows C(station_update), the result of the
    M(tevar.stations.component_update_result) filter) and the failures of the stations' other
    tasks.
  - Writes the run report of each result to I(reports_dir)/STATION/plan.json or run.json as it
    comes in; the first result of a station in a playbook run removes the reports an earlier run
    left there.
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
  reports_dir:
    description: The folder of the stations' run reports.
    type: path
    default: fleet-reports
    env:
      - name: FLEET_REPORTS_DIR
    ini:
      - section: fleet_summary
        key: reports_dir
'''

import json
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
        if path and self._write(path, markdown(rows, self._playbook, check_mode), 'the summary'):
            self._display.display('Summary written to %s' % path)

    def _write(self, path, text, what):
        """Writes text to path; a warning names what could not be written, and the run goes on."""
        try:
            write_atomically(path, text)
            return True
        except (IOError, OSError) as e:
            self._display.warning('%s cannot be written to %s: %s' % (what, path, e.strerror or e))
            return False

    def _station(self, result):
        name = result._host.get_name()
        if name not in self._stations:
            self._stations[name] = Station()
            for phase in ('plan', 'run'):
                remove_if_there(self._report_path(name, phase))
        return self._stations[name]

    def _report_path(self, name, phase):
        return os.path.join(self.get_option('reports_dir'), name, phase + '.json')

    def _note(self, result, failed):
        found = result._result
        if 'station_outcome' not in found:  # a Windows station's debug task shows station_update
            found = found.get('station_update')
            found = found if isinstance(found, dict) else {}
        outcome = found.get('station_outcome')
        if isinstance(outcome, dict):
            station = self._station(result)
            station.outcome, station.failure = outcome, None
            if isinstance(found.get('report'), dict):
                name = result._host.get_name()
                self._write(self._report_path(name, outcome['phase']),
                            json.dumps(found['report'], indent=2) + '\n', 'the run report of %s' % name)
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
        row[2:7] = ['' if outcome[k] is None else str(outcome[k])
                    for k in ('sent', 'skipped', 'failed_components', 'bytes')] + \
            ['' if outcome['duration'] is None else '%.1f' % outcome['duration']]
    return row


def natural_key(name):
    return [int(part) if part.isdigit() else part for part in re.split(r'(\d+)', name)]


def totals(rows):
    """(how many stations ended in each status, in words; the names of those not updated)."""
    counts = {}
    for row in rows:
        counts[row[1]] = counts.get(row[1], 0) + 1
    words = '%d station%s: %s.' % (len(rows), '' if len(rows) == 1 else 's',
                                   ', '.join('%d %s' % (n, s) for s, n in sorted(counts.items())))
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


def remove_if_there(path):
    try:
        os.remove(path)
    except OSError:
        pass


def write_atomically(path, text):
    folder = os.path.dirname(os.path.abspath(path))
    if not os.path.isdir(folder):
        os.makedirs(folder)
    handle, temporary = tempfile.mkstemp(dir=folder, prefix='.fleet-summary-')
    with os.fdopen(handle, 'w') as stream:
        stream.write(text)
    os.chmod(temporary, 0o644)
    os.replace(temporary, path)
