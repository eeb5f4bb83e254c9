# -*- coding: utf-8 -*-
# The station_outcome filter: judges a run report fetched to the control node by the rules the
# component_update module applies on the target (module_utils/station_outcome.py). Windows
# stations use it: they run component_updater.exe with ansible.windows.win_command.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

from ansible_collections.tevar.stations.plugins.module_utils.station_outcome import judge_run


def station_outcome(report_path, rc, plan=False):
    """The outcome of a run that ended with status rc and left its report at report_path."""
    return judge_run(report_path, rc, bool(plan))[0]


class FilterModule(object):
    def filters(self):
        return {'station_outcome': station_outcome}
