#!/usr/bin/python3
"""Rollout benchmark: the fleet playbook over N simulated stations against a plain shell loop
that runs the program for each station one after another, both in the same run, against the
same stations.

Every station is built from examples/fleet/rehearsal/stations/slow_send.ini: each send takes 5 s
and the plc never reports its new version, so the loop and the rollout both send it. The rollout
is the whole playbook: the plan of every station, then waves of ten with ten forks.

    fleet_rollout_bench.py --program PATH --simulator PATH --work FOLDER [--stations N]

scripts/fleet-demo.sh --bench [N] builds what it needs and runs it. Prints both times with the
processor time each took (the playbook's is Ansible's cost on the control node, which bounds the
rollout on a machine with few cores), the rollout's share of the loop's time, and whether every
station got its send each time.
"""

import os
import resource
import shlex
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # the packages take examples/ as it is: no caches there
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'examples', 'fleet',
                                'rehearsal'))
import rehearse  # noqa: E402

FORKS = 10


def shell_loop(fleet):
    """The reference: one bash loop, each station's update after the other's."""
    lines = []
    for station in fleet.stations:
        entry = fleet.entries[station.name]
        folder, name = os.path.split(entry['station_description'])
        lines.append('(cd %s && TEVAR_CONFIGPATH=%s %s --silent --dir %s --file %s --host %s --port %s)' % tuple(
            shlex.quote(str(v)) for v in (entry['station_chdir'], entry['station_environment']['TEVAR_CONFIGPATH'],
                                          fleet.program, folder, name, entry['controller_host'],
                                          entry['controller_port'])))
    return subprocess.run(['bash', '-c', '\n'.join(lines)]).returncode


def sends(fleet):
    return sum(1 for s in fleet.stations for session in fleet.sessions(s)
               for request, fields in session if request == 'SEND' and fields[0] == 'plc')


def timed(what, run):
    """Wall seconds of run(); prints them with the processor seconds its processes took."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    started = time.time()
    status = run()
    seconds = time.time() - started
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime
    print('%-44s %7.1f s, processor %6.1f s (status %d)' % (what, seconds, cpu, status))
    sys.stdout.flush()
    return seconds


def main():
    parser = rehearse.argument_parser(__doc__.split('\n\n')[0])
    parser.add_argument('--stations', type=int, default=50)
    args = parser.parse_args()
    with rehearse.fleet_of(args) as fleet:
        for n in range(1, args.stations + 1):
            fleet.add('st%02d' % n, 'slow_send')
        fleet.write_inventory()
        n = args.stations
        loop = timed('plain loop, %d stations one after another' % n, lambda: shell_loop(fleet))
        after_loop = sends(fleet)
        rollout = timed('fleet playbook, %d stations, %d forks' % (n, FORKS), lambda: fleet.playbook(
            '--forks', str(FORKS), '-e', 'fleet_waves=[%d]' % FORKS)[0])
        after_rollout = sends(fleet)
    print('rollout / loop: %.2f (%.1f s / %.1f s)' % (rollout / loop, rollout, loop))
    complete = after_loop == n and after_rollout == 2 * n
    print('every station got its send from both: %s (%d, %d)' % (
        'yes' if complete else 'NO', after_loop, after_rollout - after_loop))
    return 0 if complete else 1


if __name__ == '__main__':
    sys.exit(main())
