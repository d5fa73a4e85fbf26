procedure P;
const A = Foo;
begin
end;
