#!/usr/bin/python3
"""The fleet test: the fleet playbook against the rehearsal's eight simulated stations and three
broken ones (no controller listening, no description, no program), with the real program, the
real simulator and Ansible.

    fleet_test.py --program PATH --simulator PATH --work FOLDER

scripts/fleet-demo.sh --test runs it after building what it needs. One PASS:/FAIL: line per check
(scripts/test.sh counts them); exit status 1 when a check failed.
"""

import glob
import io
import json
import os
import py_compile
import re
import subprocess
import sys
import time
import unittest
import zlib

import jsonschema

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
sys.dont_write_bytecode = True  # the packages take examples/ as it is: no caches there
sys.path.insert(0, os.path.join(REPO, 'examples', 'fleet', 'rehearsal'))
import rehearse  # noqa: E402

BROKEN = {'st09': 'no machine connection', 'st10': 'has no update description',
          'st11': 'component_updater is not installed'}
PLANNED = {'out_of_date': 'would update', 'far_behind': 'would update', 'drops': 'would update',
           'up_to_date': 'up to date', 'refuses': 'failed', None: 'failed'}


class Checks(object):
    def __init__(self):
        self.failed = 0

    def check(self, what, ok, detail=''):
        print('%s: %s%s' % ('PASS' if ok else 'FAIL', what, '' if ok else ' (%s)' % detail))
        sys.stdout.flush()
        self.failed += 0 if ok else 1


def static_checks(checks, work):
    plugins = glob.glob(os.path.join(REPO, 'ansible', 'plugins', '*', '*.py'))
    try:
        for path in plugins:  # compiled into the work folder: the source tree stays clean
            py_compile.compile(path, cfile=os.path.join(work, 'pyc', os.path.basename(path) + 'c'), doraise=True)
        checks.check('the collection\'s %d Python files compile' % len(plugins), bool(plugins))
    except py_compile.PyCompileError as e:
        checks.check('the collection\'s Python files compile', False, e.msg)
    for kind, name in (('module', 'component_update'), ('filter', 'component_update_result'),
                       ('callback', 'fleet_summary')):
        run = subprocess.run(['ansible-doc', '-t', kind, 'tevar.stations.' + name],
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, universal_newlines=True)
        checks.check('ansible-doc renders the %s %s' % (kind, name),
                     run.returncode == 0 and 'TEVAR.STATIONS.' + name.upper() in run.stdout, run.stdout[-400:])
    # The Windows tasks are included per station, so the playbook's own syntax check never reads them.
    wrapper = os.path.join(work, 'windows_syntax.yml')
    with open(wrapper, 'w') as stream:
        stream.write('- hosts: stations\n  tasks:\n    - ansible.builtin.import_tasks: %s\n'
                     % os.path.join(rehearse.FLEET, 'update_station_windows.yml'))
    example = os.path.join(rehearse.FLEET, 'inventory.yml')
    for playbook in (rehearse.PLAYBOOK, wrapper):
        run = subprocess.run(['ansible-playbook', '--syntax-check', '-i', example, playbook],
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, universal_newlines=True)
        checks.check('ansible-playbook --syntax-check %s' % os.path.basename(playbook),
                     run.returncode == 0, run.stdout[-400:])
    units = unittest.TestLoader().discover(os.path.join(HERE, 'unit'))
    output = io.StringIO()  # unittest's own "FAIL:" lines must not pass for checks of this test
    result = unittest.TextTestRunner(stream=output, verbosity=0).run(units)
    checks.check('the unit tests of the outcome rules (%d)' % result.testsRun,
                 result.wasSuccessful() and result.testsRun > 0, output.getvalue().replace('\n', '\n    '))


class Rollouts(object):
    """The fleet's playbook runs, each followed by the checks every run must pass."""

    def __init__(self, fleet, checks):
        self.fleet, self.checks = fleet, checks
        self.validator = jsonschema.Draft202012Validator(
            json.load(open(os.path.join(REPO, 'docs', 'report.schema.json'))))

    def run(self, what, *args):
        before = dict((s.name, len(self.fleet.sessions(s))) for s in self.fleet.stations)
        started = time.time()
        rc, output = self.fleet.playbook(*args)
        print('%s: ansible-playbook ended with status %d after %.0f s' % (what, rc, time.time() - started))
        with open(os.path.join(self.fleet.work, what.replace(' ', '_') + '.log'), 'w') as log:
            log.write(output)
        self.check_reports(what)
        return rc, output, dict((s.name, len(self.fleet.sessions(s)) - before[s.name])
                                for s in self.fleet.stations)

    def check_reports(self, what):
        faults = []
        paths = glob.glob(os.path.join(self.fleet.reports, '*', '*.json'))
        for path in paths:
            faults += ['%s: %s' % (path, e.message) for e in self.validator.iter_errors(json.load(open(path)))]
        self.checks.check('%s: its %d reports match docs/report.schema.json' % (what, len(paths)),
                          paths and not faults, '; '.join(faults[:3]))

    def statuses(self, expected, what):
        rows = self.fleet.summary_rows()
        wrong = ['%s is "%s", not "%s"' % (n, rows.get(n, ('no line',))[0], s)
                 for n, s in sorted(expected.items()) if rows.get(n, ('',))[0] != s]
        self.checks.check(what, not wrong, '; '.join(wrong))
        return rows


def planned_sends_went_out(fleet, station):
    """Whether the controller's last connection got the plan's sends: the same targets in the same
    order, and for each completed one the planned file's size and CRC-32."""
    plan = fleet.report(station.name, 'plan')
    session = fleet.sessions(station)[-1]
    got = [fields for request, fields in session if request in ('SEND', 'SEND_FAILED')]
    planned = [s for s in plan['sends'] if s['outcome'] == 'planned']
    if [f[0] for f in got] != [s['target'] for s in planned]:
        return False
    for fields, send in zip(got, planned):
        with open(send['file'].replace('\\', '/'), 'rb') as stream:
            data = stream.read()
        if len(fields) == 3 and fields[1:] != [str(len(data)), '%08x' % zlib.crc32(data)]:
            return False
    return True


def main():
    args = rehearse.argument_parser(__doc__.split('\n\n')[0]).parse_args()
    checks = Checks()
    with rehearse.fleet_of(args) as fleet:
        static_checks(checks, fleet.work)
        for name, kind in rehearse.STATIONS:
            fleet.add(name, kind)
        fleet.add('st09', None)
        fleet.add('st10', None, station_description=None)
        fleet.add('st11', None, station_program=os.path.join(fleet.work, 'nowhere', 'component_updater'))
        fleet.write_inventory()
        kinds = dict((s.name, s.kind) for s in fleet.stations)
        rollouts = Rollouts(fleet, checks)

        rollouts.run('check mode', '--check', *rehearse.WAVES)
        sends = [s.name for s in fleet.stations for session in fleet.sessions(s)
                 for request, _ in session if request in ('SEND', 'SEND_FAILED', 'SET')]
        checks.check('check mode sends and sets nothing (journals)', not sends, ', '.join(sends))
        rollouts.statuses(dict((n, PLANNED[k]) for n, k in kinds.items()), 'check mode: each station\'s plan')

        _, _, new = rollouts.run('rollout', *rehearse.WAVES)
        found = rehearse.problems(fleet)
        checks.check('the rollout went as meant', not found, '; '.join(found))
        rows = fleet.summary_rows()
        wrong = [n for n, says in BROKEN.items() if rows.get(n, ('', ''))[0] != 'failed' or says not in rows[n][1]]
        checks.check('the broken stations fail with a message saying which', not wrong, ', '.join(wrong))
        reached = [s for s in fleet.stations if fleet.report(s.name, 'run')]
        wrong = [s.name for s in reached if not planned_sends_went_out(fleet, s)]
        checks.check('the rollout sent exactly what the plans said (%d stations)' % len(reached),
                     len(reached) == 7 and not wrong, ', '.join(wrong))
        checks.check('a rollout at 40 % goes on past the failing wave (st07: plan and update)', new['st07'] == 2)

        updated = [n for n, k in kinds.items() if rehearse.MEANT.get(k) == 'updated']
        rc, output, new = rollouts.run('second rollout', '-e', 'fleet_waves=[3]', '-e', 'fleet_max_fail_percentage=25')
        changed = dict(re.findall(r'^(st\d+)\s+: ok=\d+\s+changed=(\d+)', output, re.M))
        checks.check('a second rollout reports changed=0 on every station the first updated',
                     all(changed.get(n) == '0' for n in updated), str(changed))
        rollouts.statuses(dict((n, 'up to date') for n in updated), 'a second rollout finds them up to date')
        checks.check('max_fail_percentage 25 stops the rollout after the failing wave (st07: plan only)',
                     rc != 0 and 'NO MORE HOSTS LEFT' in output and new['st07'] == 1 and
                     fleet.summary_rows().get('st07', ('',))[0] == 'not reached', 'status %d, %s' % (rc, new))
    print('%d checks failed' % checks.failed)
    return 1 if checks.failed else 0


if __name__ == '__main__':
    sys.exit(main())
