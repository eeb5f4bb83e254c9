#!/usr/bin/python3
"""A rollout without a plant.

Starts a simulated controller (controller_sim) on a free loopback port for each station, gives
each station a working folder of its own (a copy of the update description and its files, the
operator texts, and the program's application-data folder), writes an inventory of them and runs
the fleet playbook (../rollout.yml) against it with the local connection. The rehearsal's eight
stations are built to end in different ways; it ends with status 0 only when each one did.

    rehearse.py --program PATH --simulator PATH --work FOLDER [--text-table FILE]

scripts/fleet-demo.sh runs it with the release build. The fleet test and the rollout benchmark
build their own stations with the Fleet class. Ansible must find the tevar.stations collection
(ANSIBLE_COLLECTIONS_PATH).
"""

import argparse
import json
import os
import shutil
import socket
import subprocess
import sys
import time

import yaml

HERE = os.path.dirname(os.path.abspath(__file__))
FLEET = os.path.dirname(HERE)
PLAYBOOK = os.path.join(FLEET, 'rollout.yml')

# The rehearsal: stations in inventory order, each with the station file it is built from.
STATIONS = [('st01', 'out_of_date'), ('st02', 'far_behind'), ('st03', 'up_to_date'),
            ('st04', 'drops'), ('st05', 'out_of_date'), ('st06', 'far_behind'),
            ('st07', 'up_to_date'), ('st08', 'refuses')]
# What each kind of station is meant to end with, as the fleet summary words it.
MEANT = {'up_to_date': 'up to date', 'out_of_date': 'updated', 'far_behind': 'updated',
         'drops': 'failed', 'refuses': 'failed'}
# Waves of three; the rollout goes on while at most 40 % of a wave fails. The dropping station
# is one of three in the second wave; the refusing one fails its plan and is left out of the
# third.
WAVES = ['-e', 'fleet_waves=[3]', '-e', 'fleet_max_fail_percentage=40']


class Station(object):
    def __init__(self, name, kind, folder):
        self.name, self.kind, self.folder = name, kind, folder
        self.process = None
        self.port = None
        self.journal = os.path.join(folder, 'journal')


class Fleet(object):
    """Simulated stations on loopback, their inventory, and playbook runs against them.

    text_table is copied into each station's folder (None: not). Owns the simulators it starts;
    stop() ends them (also on leaving a with block)."""

    def __init__(self, work, program, simulator, text_table):
        self.work, self.program, self.simulator = work, program, simulator
        self.text_table = text_table
        self.stations = []
        self.entries = {}
        self.inventory = os.path.join(work, 'inventory.yml')
        self.reports = os.path.join(work, 'reports')
        self.summary = os.path.join(work, 'fleet-summary.md')
        shutil.rmtree(work, ignore_errors=True)
        os.makedirs(work)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()

    def add(self, name, kind, station_file=None, **variables):
        """A station whose controller is simulated from stations/<kind>.ini (or station_file);
        kind None: no controller listens on its port. variables change its inventory entry
        (None removes one)."""
        station = Station(name, kind, os.path.join(self.work, name))
        shutil.copytree(os.path.join(HERE, 'updates'), os.path.join(station.folder, 'updates'))
        if self.text_table:
            shutil.copy(self.text_table, station.folder)
        if kind:
            self._start_simulator(station, station_file or os.path.join(HERE, 'stations', kind + '.ini'))
        else:
            station.port = free_port()
        entry = dict(controller_host='127.0.0.1', controller_port=station.port,
                     station_program=self.program, station_chdir=station.folder,
                     station_description=os.path.join(station.folder, 'updates', 'component_updates.ini'),
                     station_environment={'TEVAR_CONFIGPATH': os.path.join(station.folder, 'appdata')})
        entry.update(variables)
        self.entries[name] = dict((k, v) for k, v in entry.items() if v is not None)
        self.stations.append(station)
        return station

    def write_inventory(self):
        inventory = {'stations': {
            'vars': {'ansible_connection': 'local', 'ansible_python_interpreter': sys.executable},
            'hosts': self.entries}}
        with open(self.inventory, 'w') as stream:
            stream.write('# The stations of a rehearsal, written by %s.\n' % os.path.basename(__file__))
            yaml.safe_dump(inventory, stream, sort_keys=False)

    def playbook(self, *args, **options):
        """Runs the fleet playbook with args; returns (exit status, output). The output is also
        shown as it comes when options['show'] is true."""
        env = dict(os.environ, ANSIBLE_CONFIG=os.path.join(FLEET, 'ansible.cfg'),
                   FLEET_SUMMARY_FILE=self.summary, FLEET_REPORTS_DIR=self.reports, ANSIBLE_NOCOLOR='1')
        command = ['ansible-playbook', '-i', self.inventory, PLAYBOOK] + list(args)
        process = subprocess.Popen(command, env=env, stdout=subprocess.PIPE,
                                   stderr=subprocess.STDOUT, universal_newlines=True)
        lines = []
        for line in process.stdout:
            lines.append(line)
            if options.get('show'):
                sys.stdout.write(line)
                sys.stdout.flush()
        return process.wait(), ''.join(lines)

    def summary_rows(self):
        """{station: (status, reason)} from the Markdown summary of the last run."""
        rows = {}
        if not os.path.exists(self.summary):
            return rows
        with open(self.summary) as stream:
            for line in stream:
                cells = [c.strip() for c in line.strip().strip('|').split(' | ')]
                if line.startswith('| ') and cells[0] in self.entries:
                    rows[cells[0]] = (cells[1], cells[-1])
        return rows

    def report(self, name, phase):
        """The run report fetched from a station in the last run (phase plan or run), or None."""
        path = os.path.join(self.reports, name, phase + '.json')
        if not os.path.exists(path):
            return None
        with open(path) as stream:
            return json.load(stream)

    def sessions(self, station):
        """The controller's journal as a list of connections, each a list of (request, fields)."""
        sessions = []
        if os.path.exists(station.journal):
            with open(station.journal) as stream:
                for line in stream:
                    fields = line.rstrip('\n').split('\t')
                    if fields[0] == 'CONNECT':
                        sessions.append([])
                    if sessions:
                        sessions[-1].append((fields[0], fields[1:]))
        return sessions

    def stop(self):
        for station in self.stations:
            if station.process and station.process.poll() is None:
                station.process.terminate()
                station.process.wait()

    def _start_simulator(self, station, station_file):
        port_file = os.path.join(station.folder, 'port')
        with open(os.path.join(station.folder, 'controller_sim.log'), 'w') as log:
            station.process = subprocess.Popen(
                [self.simulator, '--station', station_file, '--port', '0', '--port-file', port_file,
                 '--journal', station.journal], stdout=log, stderr=log)
        deadline = time.time() + 10
        while not os.path.exists(port_file):
            if station.process.poll() is not None or time.time() > deadline:
                raise RuntimeError('the simulator of %s did not start (%s)' % (
                    station.name, os.path.join(station.folder, 'controller_sim.log')))
            time.sleep(0.02)
        with open(port_file) as stream:
            station.port = int(stream.read())


def free_port():
    """A loopback port where nothing listens (the socket that found it is closed again)."""
    probe = socket.socket()
    probe.bind(('127.0.0.1', 0))
    port = probe.getsockname()[1]
    probe.close()
    return port


def problems(fleet):
    """What did not go as meant in the last rollout, in words; empty when all did."""
    found = []
    rows = fleet.summary_rows()
    for station in fleet.stations:
        meant = MEANT.get(station.kind)
        status, reason = rows.get(station.name, (None, None))
        if meant is None:
            continue
        if status != meant:
            found.append('%s (%s) is "%s" in the summary, not "%s"' % (station.name, station.kind, status, meant))
        elif meant == 'failed' and not reason:
            found.append('%s failed without a reason' % station.name)
        found += report_problems(fleet, station)
    return found


def report_problems(fleet, station):
    """Where the station's reports contradict what it was built for."""
    run = fleet.report(station.name, 'run')
    sent = [s for s in (run or {}).get('sends', []) if s['outcome'] == 'sent']
    if station.kind == 'refuses':
        plan = fleet.report(station.name, 'plan')
        ok = plan is not None and plan['connection_error'] and run is None
    elif station.kind == 'drops':
        ok = run is not None and run['exit_status'] == 1 and \
            any(s['outcome'] == 'failed' for s in run['sends'])
    else:
        ok = run is not None and run['exit_status'] == 0 and bool(sent) == (station.kind != 'up_to_date')
    return [] if ok else ['the reports of %s (%s) do not show what it was built for' % (station.name, station.kind)]


def argument_parser(description):
    """The command line of every user of a Fleet: the program, the simulator, the work folder."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument('--program', required=True, help='component_updater to run on the stations')
    parser.add_argument('--simulator', required=True, help='controller_sim')
    parser.add_argument('--work', required=True, help='folder for the stations (emptied first)')
    parser.add_argument('--text-table', help='component_updater.loc for the stations\' folders (default: the one '
                        'beside the program; without one, an installed program reads its installed table)')
    return parser


def fleet_of(args):
    """The Fleet that arguments of argument_parser() name."""
    program = os.path.abspath(args.program)
    text_table = args.text_table or os.path.join(os.path.dirname(program), 'component_updater.loc')
    if not args.text_table and not os.path.exists(text_table):
        text_table = None
    return Fleet(os.path.abspath(args.work), program, os.path.abspath(args.simulator), text_table)


def main():
    args = argument_parser(__doc__.split('\n\n')[0]).parse_args()
    with fleet_of(args) as fleet:
        for name, kind in STATIONS:
            station = fleet.add(name, kind)
            print('%s: %-11s controller on 127.0.0.1:%d' % (name, kind, station.port))
        fleet.write_inventory()
        fleet.playbook(*WAVES, show=True)
        found = problems(fleet)
    print('\nInventory: %s\nReports: %s\nSummary: %s' % (fleet.inventory, fleet.reports, fleet.summary))
    if found:
        print('The rehearsal did not go as meant:\n  ' + '\n  '.join(found))
        return 1
    print('The rehearsal went as meant: the refusing and the dropping stations failed with their '
          'reasons, every other station is up to date.')
    return 0


if __name__ == '__main__':
    sys.exit(main())
