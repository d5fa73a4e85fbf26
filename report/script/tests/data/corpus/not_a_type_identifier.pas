procedure P;
var x: Foo;
begin
end;
