// Engine objects in the page, as `godot.<name>` (also `$g.<name>`).
//
// Needs the web channel library (`QWebChannel`) and the page's channel transport
// (`qt.webChannelTransport`) before it runs. The context manager is published on the channel as
// "___cm"; every engine object is published under its name, and each of its members under
// "<object>.<member>". Once everything known at connection time is wrapped, the window receives
// the event "godot.ready".
//
//   godot.player.health.value            the property's value; assigning it writes the engine's
//   godot.player.health.on("changed", f) f(value) whenever the engine changes it
//   godot.player.jump(1)                 calls the engine's method (a trailing function is dropped)
//   godot.player.died.connect(f)         f(...args) whenever the engine emits the signal
//   godot.objectRegistered("player", f)  f("player") when the object is announced
//   godot.objectRemoved("player", f)     f("player") when it is removed
//
// Built minified into the Web module's resources; keep the names above as they are.

var $g = null;
var godot = null;
var ___godot_channel = null;

class GodotAbstractObject {
    constructor(name) {
        this.___exclude_names = ["name", "call", "hasOwnProperty", "indexOf", "__proto__"];
        this.___object_name = name;
        this.___qt_obj = ___godot_channel.objects[name];
        this.___methods = {};
        this.___variables = {};
        this.___callbacks = {};

        var methods = this.___qt_obj.methodsMap || {};
        for (var method in methods) {
            if (Godot.___has_own(methods, method) && this.___exclude_names.indexOf(method) < 0)
                this.___add_method(method, methods[method]);
        }
        // After the methods: a property wins over a method of the same name.
        var variables = this.___qt_obj.variablesMap || {};
        for (var variable in variables) {
            if (Godot.___has_own(variables, variable) && this.___exclude_names.indexOf(variable) < 0)
                this.___add_property(variable, variables[variable]);
        }
    }

    ___add_method(key, description) {
        var callbacks = this.___callbacks;
        description.object_name = this.___object_name + "." + key;
        var f = this.___call_method.bind(this, key, description);
        if (description.is_signal === true) {
            f.connect = function (callback) {
                Godot.___remember(callbacks, key + ".signal", callback);
            };
            f.___gdscriptSignalEmitted = function (...values) {
                Godot.___fire(callbacks, key + ".signal", values);
            };
        }
        description.func = f;
        this[key] = f;
        this.___methods[key] = description;
    }

    ___add_property(key, entry) {
        var callbacks = this.___callbacks;
        var member = ___godot_channel.objects[this.___object_name + "." + key];
        entry.object_name = this.___object_name + "." + key;
        this.___variables[key] = entry;
        this[key] = new Proxy(this, {
            get: function (wrapper, prop) {
                if (prop === "on") {
                    return function (event, callback) {
                        Godot.___remember(callbacks, key + "." + event, callback);
                    };
                }
                if (prop === "___propChanged") {
                    return function (value) {
                        Godot.___fire(callbacks, key + ".changed", [value]);
                    };
                }
                return member ? member[prop] : undefined;
            },
            set: function (wrapper, prop, value) {
                if (prop === "value" && member)
                    member.value = value;
                return true;
            },
        });
    }

    // The page calls an engine method. A trailing function is dropped, never called.
    ___call_method(key, description, ...args) {
        if (args.length > 0 && typeof args[args.length - 1] === "function")
            args.pop();
        var expected = (description.args || []).length;
        if (args.length === expected)
            return this.___qt_obj.___invoke_method(key, args);

        var object_name = this.___object_name;
        var provided = args.length;
        this.___qt_obj.get_method_signature(key, function (signature) {
            var message = "[" + object_name + "] function call '" + key + "' requires " + expected +
                " parameter(s), but " + provided + " provided";
            console.error(message);
            if (signature) {
                var line = "    signature: " + signature;
                console.error(line);
                message += "\n" + line;
            }
            throw message;
        });
    }
}

class Godot {
    constructor() {
        this.___callbacks = {};
    }

    objectRegistered(name, callback) {
        if (callback !== undefined)
            Godot.___remember(this.___callbacks, name + ".registered", callback);
        else
            Godot.___fire(this.___callbacks, name + ".registered", [name]);
    }

    objectRemoved(name, callback) {
        if (callback !== undefined)
            Godot.___remember(this.___callbacks, name + ".removed", callback);
        else
            Godot.___fire(this.___callbacks, name + ".removed", [name]);
    }

    static ___has_own(object, key) {
        return Object.prototype.hasOwnProperty.call(object, key);
    }

    // Appends `callback` to `table[key]`.
    static ___remember(table, key, callback) {
        if (!Godot.___has_own(table, key))
            table[key] = [];
        table[key].push(callback);
    }

    // Calls every function under `table[key]`, in order, with `args`.
    static ___fire(table, key, args) {
        if (!Godot.___has_own(table, key))
            return;
        var callbacks = table[key].slice();
        for (var i = 0; i < callbacks.length; ++i)
            callbacks[i].apply(null, args);
    }
}

(function () {
    // Without the channel library, or in a frame without the page's transport, nothing to join.
    if (typeof QWebChannel === "undefined" || typeof qt === "undefined" || !qt.webChannelTransport)
        return;

    var has_own = Godot.___has_own;

    // Wraps the channel object `name` on the bridge root. False when there is nothing to wrap.
    function wrap(name) {
        if (name.indexOf(".") >= 0)
            return false;
        var objects = ___godot_channel.objects;
        if (!has_own(objects, name) || !objects[name] || !has_own(objects[name], "isContextObject"))
            return false;
        godot[name] = new GodotAbstractObject(name);
        return true;
    }

    // Asks the channel for every published object (its "init" message, answered with the
    // descriptions of all objects, late ones included) and creates the channel's client object
    // for each one the page does not know yet; objects it knows keep their connections.
    function adopt_late_objects(done) {
        var channel = ___godot_channel;
        channel.exec({ type: QWebChannelMessageTypes.init }, function (data) {
            var adopted = [];
            for (var name in data) {
                if (has_own(data, name) && !has_own(channel.objects, name)) {
                    new QObject(name, data[name], channel);
                    adopted.push(name);
                }
            }
            for (var i = 0; i < adopted.length; ++i)
                channel.objects[adopted[i]].unwrapProperties();
            done();
        });
    }

    // Drops the channel's client objects of a removed object and its members, so that an object
    // published again under the same name is adopted afresh.
    function forget(name) {
        var objects = ___godot_channel.objects;
        for (var key in objects) {
            if (has_own(objects, key) && (key === name || key.indexOf(name + ".") === 0))
                delete objects[key];
        }
    }

    function wrapper(object) {
        if (!has_own(godot, object))
            throw "no such object name " + object;
        return godot[object];
    }

    function connect_manager(manager) {
        manager.gdscriptSignalEmitted.connect(function (object, signal, values) {
            var member = wrapper(object)[signal];
            if (member && typeof member.___gdscriptSignalEmitted === "function")
                member.___gdscriptSignalEmitted.apply(null, values || []);
        });
        manager.propChanged.connect(function (object, property, value) {
            var member = wrapper(object)[property];
            if (member && typeof member.___propChanged === "function")
                member.___propChanged(value);
        });
        manager.objectRegistered.connect(function (name) {
            if (has_own(godot, name))
                return;
            if (wrap(name)) {
                godot.objectRegistered(name);
                return;
            }
            // Published after the page connected: the channel sends late objects to no client,
            // so ask it for its objects again and adopt the new ones.
            adopt_late_objects(function () {
                if (!has_own(godot, name) && wrap(name))
                    godot.objectRegistered(name);
            });
        });
        manager.objectdeRegistered.connect(function (name) {
            if (has_own(godot, name))
                delete godot[name];
            forget(name);
            godot.objectRemoved(name);
        });
    }

    // A page that the view does not offer the engine's objects finds an empty channel: it gets
    // no bridge at all, and "godot" stays null. The view offers them to an allowed page that
    // follows a refused one only once that page is shown, which may be just after this script
    // first asked: it asks again a few times, for about a second and a half.
    var retry_delays = [25, 50, 100, 200, 400, 800];

    function open_channel(attempt) {
        var client = new QWebChannel(qt.webChannelTransport, function (channel) {
            if (!channel.objects.___cm) {
                if (attempt < retry_delays.length)
                    setTimeout(function () { open_channel(attempt + 1); }, retry_delays[attempt]);
                return;
            }
            ___godot_channel = channel;
            godot = new Godot();
            $g = godot;
            for (var name in channel.objects) {
                if (wrap(name))
                    godot.objectRegistered(name);
            }
            connect_manager(channel.objects.___cm);
            window.dispatchEvent(new CustomEvent("godot.ready"));
        });
        // Answers meant for the frame's previous document can reach this one: the first blank
        // page of a view asks for the objects as this page does, and a page may leave with calls
        // still unanswered. Every document's channel numbers its calls from 0, so such an answer
        // would find no call here (an uncaught TypeError in the channel library) or a call of
        // this page with the same number. Answers without a waiting call are dropped, and this
        // page's later calls are numbered far from where any other document's are.
        var handle_response = client.handleResponse;
        client.handleResponse = function (message) {
            if (message && has_own(client.execCallbacks, message.id))
                handle_response(message);
        };
        client.execId = 1 + Math.floor(Math.random() * 1e12);
    }
    open_channel(0);
    // A page brought back from the back-forward cache kept its old channel, which the view may
    // have closed and opened meanwhile (its listeners are gone): it connects afresh.
    window.addEventListener("pageshow", function (event) {
        if (event.persisted)
            open_channel(0);
    });
})();
