'''A UDisks2 daemon for the tests, as python3-dbusmock template: the drives and file systems that
the parameters describe, with Unmount, PowerOff and Eject that succeed or fail as told.

Parameters (JSON): {"volumes": [{
    "name": "sdb1",             block device, also the object's name
    "drive": "Card_Reader",     drive object's name; "" for a block without a drive
    "mountPoint": "/media/x",   where its file system is mounted
    "hintSystem": false,        a disk of the system rather than one plugged in
    "removable": true,          the drive's Removable and MediaRemovable
    "canPowerOff": true, "ejectable": false,
    "unmountError": "",         when not empty, Unmount fails with this text (DeviceBusy)
    "powerOffError": ""         when not empty, PowerOff and Eject fail with this text
}]}
'''
import dbus

from dbusmock import mockobject

BUS_NAME = 'org.freedesktop.UDisks2'
MAIN_OBJ = '/org/freedesktop/UDisks2'
MAIN_IFACE = 'org.freedesktop.UDisks2.Manager'
SYSTEM_BUS = True
IS_OBJECT_MANAGER = True

BLOCK = 'org.freedesktop.UDisks2.Block'
FILESYSTEM = 'org.freedesktop.UDisks2.Filesystem'
DRIVE = 'org.freedesktop.UDisks2.Drive'


def failing(text, name):
    return f'raise dbus.exceptions.DBusException({text!r}, name={name!r})'


def load(mock, parameters):
    mock.AddProperties(MAIN_IFACE, {'Version': dbus.String('2.9.4', variant_level=1)})
    for volume in parameters.get('volumes', []):
        drive_path = '/'
        if volume.get('drive'):
            drive_path = MAIN_OBJ + '/drives/' + volume['drive']
            if drive_path not in mockobject.objects:
                error = volume.get('powerOffError', '')
                code = failing(error, 'org.freedesktop.UDisks2.Error.Failed') if error else ''
                removable = dbus.Boolean(volume.get('removable', True), variant_level=1)
                mock.AddObject(drive_path, DRIVE, {
                    'Removable': removable,
                    'MediaRemovable': removable,
                    'CanPowerOff': dbus.Boolean(volume.get('canPowerOff', True), variant_level=1),
                    'Ejectable': dbus.Boolean(volume.get('ejectable', False), variant_level=1),
                }, [('PowerOff', 'a{sv}', '', code), ('Eject', 'a{sv}', '', code)])

        block_path = MAIN_OBJ + '/block_devices/' + volume['name']
        device = ('/dev/' + volume['name']).encode() + b'\0'
        mock.AddObject(block_path, BLOCK, {
            'Device': dbus.ByteArray(device, variant_level=1),
            'Drive': dbus.ObjectPath(drive_path, variant_level=1),
            'HintSystem': dbus.Boolean(volume.get('hintSystem', False), variant_level=1),
        }, [])
        block = mockobject.objects[block_path]
        mount_point = volume['mountPoint'].encode() + b'\0'
        block.AddProperties(FILESYSTEM, {
            'MountPoints': dbus.Array([dbus.ByteArray(mount_point)], signature='ay', variant_level=1),
        })
        error = volume.get('unmountError', '')
        code = failing(error, 'org.freedesktop.UDisks2.Error.DeviceBusy') if error else \
            f"self.UpdateProperties({FILESYSTEM!r}, {{'MountPoints': dbus.Array([], signature='ay')}})"
        block.AddMethod(FILESYSTEM, 'Unmount', 'a{sv}', '', code)
