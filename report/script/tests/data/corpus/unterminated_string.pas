procedure P;
var s: String;
begin
  s := 'abc;
  s := 'd';
end;
